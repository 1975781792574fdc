#include "maps/map_reading.h"

#include "maps/counted.h"
#include "maps/map_file.h"
#include "maps/state_bytes.h"
#include "maps/state_replay.h"
#include "maps/text_file.h"

namespace {

constexpr int32_t kOldestStateVersion = 1;

bool Refuse(ImportError& problem, std::string where, std::string message) {
  problem = {std::move(where), std::move(message)};
  return false;
}

bool IsOurStateVersion(int32_t version) {
  return version >= kOldestStateVersion && version <= kWrittenStateVersion;
}

// Our own state, checked as strictly as the plug-in's own saves are
// written: a version-5 state must decode whole; an older one must hold
// exactly the fields of its version.
bool CheckOurState(const std::vector<uint8_t>& bytes, int32_t version, ImportError& problem) {
  std::string why;
  if (version == kWrittenStateVersion) {
    PluginSettings unused;
    return DecodeState(bytes, unused, why) || Refuse(problem, "", why);
  }
  const StateReplay read = ReplayStates(bytes, nullptr);
  if (read.ranShort)
    return Refuse(problem, "",
                  "a version-" + std::to_string(version) + " state cut short: " +
                      Counted(bytes.size(), "byte") + " hold only part of its fields");
  if (read.unread != 0)
    return Refuse(problem, "",
                  Counted(read.unread, "byte") + " after the end of a version-" +
                      std::to_string(version) + " state");
  return true;
}

bool StartsAsMap(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string::npos && text[first] == '{';
}

// How a file of no known kind begins, for its refusal.
std::string Beginning(const std::vector<uint8_t>& bytes, const std::string& text) {
  if (bytes.size() < 4 && bytes[0] < 0x20)
    return "it holds " + Counted(bytes.size(), "byte") + ", too short for a state's version word";
  int32_t version = 0;
  if (StateVersion(bytes, version) && version > kWrittenStateVersion && version < 256)
    return "it begins like a plug-in state of version " + std::to_string(version) +
           ", and this plug-in reads versions 1 to " + std::to_string(kWrittenStateVersion);
  const std::string root = XmlRootElement(text);
  if (!root.empty()) return "it is XML whose root element is <" + root + ">";
  std::string line;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n' || byte == '\r' || line.size() == 40) break;
    if (byte < 0x20 && byte != '\t') return "it is binary data of none of these kinds";
    line += c;
  }
  return "it begins \"" + ReadableText(line) + "\"";
}

}  // namespace

bool ReadMapFile(const std::string& fileName, const std::vector<uint8_t>& bytes,
                 MapFileContent& content, ImportError& problem) {
  if (bytes.empty()) return Refuse(problem, "", "the file is empty");
  if (bytes.size() > kMaxMapFileBytes) return Refuse(problem, "", TooLargeProblem(bytes.size()));
  MapFileContent out;
  int32_t version = 0;
  if (StateVersion(bytes, version) && IsOurStateVersion(version)) {
    if (!CheckOurState(bytes, version, problem)) return false;
    out.kind = MapFileKind::OurState;
    out.state = bytes;
    content = std::move(out);
    return true;
  }
  if (IsBinaryPropertyList(bytes)) return Refuse(problem, "", kBinaryPropertyListProblem);
  std::string text, why;
  if (!TextInUtf8(bytes, text, why)) return Refuse(problem, "", why);
  if (StartsAsMap(text)) {
    MapError error;
    if (!ParseMapFile(std::vector<uint8_t>(text.begin(), text.end()), out.settings, error))
      return Refuse(problem, error.field, error.message);
    out.kind = MapFileKind::OurMap;
    out.state = EncodeState(out.settings);
    content = std::move(out);
    return true;
  }
  out.format = DetectMapFormat(fileName, text);
  if (out.format == MapFormat::Unknown)
    return Refuse(problem, "",
                  "not a settings file: neither a map (JSON), a plug-in state or another "
                  "program's map (" +
                      ForeignMapExtensionList() + "); " + Beginning(bytes, text));
  if (!ReadForeignMapText(out.format, text, out.foreign, problem)) return false;
  out.kind = MapFileKind::ForeignMap;
  content = std::move(out);
  return true;
}

std::string MapFileKindName(const MapFileContent& content) {
  switch (content.kind) {
    case MapFileKind::OurMap:
      return "a map (JSON)";
    case MapFileKind::OurState:
      return "a plug-in state";
    case MapFileKind::FactoryMap:
      return "a factory map";
    case MapFileKind::ForeignMap:
      break;
  }
  return std::string("a ") + MapFormatName(content.format);
}

std::string TooLargeProblem(unsigned long long size) {
  return Counted(static_cast<long long>(size), "byte") + " is larger than any map (at most " +
         Counted(kMaxMapFileBytes, "byte") + ")";
}

std::string Located(const std::string& fileName, const ImportError& problem) {
  return fileName + ": " + (problem.where.empty() ? "" : problem.where + ": ") + problem.message;
}
