#include "tools/plughost/same_file.h"

#include <windows.h>

#include "editor/wide_text.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/file_io.h"

namespace {

// What the file system says of one file. Wine gives every Unix file system
// under a drive the drive's one volume serial, so the file index (the
// inode) of files on two file systems may coincide; a file's size and last
// write time, read at the same moment through both paths, rule that out.
struct FileIdentity {
  BY_HANDLE_FILE_INFORMATION info{};

  bool operator==(const FileIdentity& o) const {
    return info.dwVolumeSerialNumber == o.info.dwVolumeSerialNumber &&
           info.nFileIndexHigh == o.info.nFileIndexHigh &&
           info.nFileIndexLow == o.info.nFileIndexLow &&
           info.nFileSizeHigh == o.info.nFileSizeHigh && info.nFileSizeLow == o.info.nFileSizeLow &&
           CompareFileTime(&info.ftLastWriteTime, &o.info.ftLastWriteTime) == 0;
  }
};

// False when the file does not exist or tells no identity.
bool IdentityOf(const std::string& path, FileIdentity& id) {
  // No access asked for: only the file's attributes are read, and a file
  // another program holds open still answers.
  const HANDLE file = CreateFileW(panel_text::Wide(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &id.info) != 0;
  CloseHandle(file);
  return known && (id.info.nFileIndexHigh != 0 || id.info.nFileIndexLow != 0);
}

bool SameFullPath(const std::string& a, const std::string& b) {
  const std::wstring x = panel_text::Wide(FullPath(a)), y = panel_text::Wide(FullPath(b));
  return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                              static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

std::string Named(const RoleFile& file) { return std::string(file.role) + " " + file.path; }

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  FileIdentity x, y;
  if (IdentityOf(a, x) && IdentityOf(b, y)) return x == y;
  return SameFullPath(a, b);
}

int RefuseOutputOverInput(const CommonOptions& options, const std::string& command,
                          const std::vector<RoleFile>& inputs,
                          const std::vector<RoleFile>& outputs) {
  std::vector<RoleFile> read = inputs;
  read.push_back({"plug-in", options.dll});
  // `through`: the path of the output that meets `other`, when not its own.
  auto refuse = [&](const RoleFile& output, const RoleFile& other, const std::string& through) {
    const std::string met = through.empty() ? output.path : through;
    return Fail(kExitUsage,
                command + ": the " + Named(output) +
                    (through.empty() ? "" : " would be written through " + through + ", which") +
                    " is the " + Named(other) + (met == other.path ? "" : " (the same file)") +
                    "; nothing written");
  };
  for (size_t i = 0; i < outputs.size(); ++i) {
    const RoleFile& output = outputs[i];
    if (output.path.empty()) continue;
    const std::string temporary = TemporaryPathFor(output.path);
    for (const RoleFile& input : read) {
      if (input.path.empty()) continue;
      if (SameFile(output.path, input.path)) return refuse(output, input, "");
      if (SameFile(temporary, input.path)) return refuse(output, input, temporary);
    }
    for (size_t j = 0; j < i; ++j)
      if (!outputs[j].path.empty() && SameFile(output.path, outputs[j].path))
        return refuse(output, outputs[j], "");
  }
  return kExitOk;
}
