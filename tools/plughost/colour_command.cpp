// colour and retarget: keyswitched MIDI in, coloured notes out; and a part
// moved from one library's map to another's. The reading of articulations
// lives in tools/render (colouring.h); this file reads the inputs, reports
// and writes.
#include <windows.h>

#include <cstdio>

#include "tools/maps/map_file.h"
#include "tools/maps/map_formats.h"
#include "tools/maps/map_import.h"
#include "tools/maps/state_bytes.h"
#include "tools/maps/text_encoding.h"
#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/compensation_report.h"
#include "tools/plughost/dll_render_target.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/result_files.h"
#include "tools/plughost/same_file.h"
#include "tools/render/colouring.h"
#include "tools/render/latency_compensation.h"
#include "tools/render/render_session.h"
#include "tools/render/slot_pairing.h"

namespace {

// Command-line text arrives in the system's ANSI code page, not UTF-8.
std::string ArgumentText(const std::string& arg) {
  return IsValidUtf8(arg) ? arg : Windows1252ToUtf8(arg);
}

// A map, a state, or another program's map (with --bank and --pick as
// import takes them), as the settings the plug-in would hold.
int ReadAnySettings(const CommonOptions& options, const MapChoice& choice, const std::string& path,
                    PluginSettings& settings) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, error))
    return Fail(kExitBadInput, "cannot read the settings " + path + ": " + error);
  if (LooksLikeMapFile(bytes) || DetectMapFormat(path, bytes) == MapFormat::Unknown)
    return LoadSettingsThroughPlugin(options, path, settings);
  ForeignMap map;
  ImportError problem;
  ImportChoice import{ArgumentText(choice.bank), {}};
  if (!choice.pick.empty()) import.pick = SplitPickList(ArgumentText(choice.pick));
  ImportResult result;
  if (!ReadForeignMap(path, bytes, map, problem) ||
      !ImportForeignMap(map, path, import, result, problem))
    return Fail(kExitBadInput, path + ": " + (problem.where.empty() ? "" : problem.where + ": ") +
                                   problem.message);
  std::fflush(stdout);
  for (const std::string& warning : result.warnings)
    std::fprintf(stderr, "plughost: warning: %s\n", warning.c_str());
  settings = result.settings;
  return kExitOk;
}

// The map's switching table, refused when no slot switches anything or two
// slots cannot be told apart.
int ReadableTable(const std::string& path, const PluginSettings& settings, SlotOutputTable& table) {
  table = SlotOutputsOf(settings);
  if (table.readable.none())
    return Fail(kExitBadInput, path +
                                   ": no slot sends a keyswitch, UACC or modwheel value, an "
                                   "action or routes its notes, so no note's articulation can be "
                                   "read");
  const auto collisions = CollidingSlots(table);
  if (!collisions.empty())
    return Fail(kExitBadInput, path +
                                   ": slots cannot be told apart (no message both send differs): " +
                                   DescribeCollisions(collisions, settings, table));
  return kExitOk;
}

int ReadMidiInput(const std::string& path, std::vector<uint8_t>& input, MidiLayout& layout) {
  std::string error;
  if (!ReadWholeFile(path, input, error))
    return Fail(kExitBadInput, "cannot read " + path + ": " + error);
  if (!ReadMidiLayout(input, layout, error)) return Fail(kExitBadInput, path + ": " + error);
  return kExitOk;
}

void PrintColourSummary(const ColourSummary& summary, const PluginSettings& settings) {
  std::printf("  notes read:        %d\n", summary.notesRead);
  for (int s = 0; s < kSlotCount; ++s)
    if (summary.perSlot[s])
      std::printf("  %-18s %d\n", (SlotLabel(settings, s) + ":").c_str(), summary.perSlot[s]);
  std::printf("  unexplained:       %d (kept the slot of the note before)\n", summary.unexplained);
  std::printf("  ties:              %d (the lowest slot taken)\n", summary.ties);
  std::printf("  messages removed:  %d\n", summary.messagesRemoved);
  if (summary.layerNotes)
    std::printf("  layered copies:    %d (note-ons of another channel read as one note)\n",
                summary.layerNotes);
  if (summary.controllerCopies)
    std::printf(
        "  controller copies: %d (the map's controllers repeated on its other note channels)\n",
        summary.controllerCopies);
}

}  // namespace

int ColourCommand(const CommonOptions& options, const MapChoice& choice, bool compensate,
                  const std::string& settingsPath, const std::string& inputPath,
                  const std::string& outputPath, const std::string& picturePath) {
  if (const int refused = RefuseOutputOverInput(options, "colour",
                                                {{"settings", settingsPath}, {"input", inputPath}},
                                                {{"output", outputPath}, {"picture", picturePath}}))
    return refused;
  PluginSettings settings;
  if (const int failed = ReadAnySettings(options, choice, settingsPath, settings)) return failed;
  SlotOutputTable table;
  if (const int failed = ReadableTable(settingsPath, settings, table)) return failed;
  std::vector<uint8_t> input;
  MidiLayout layout;
  if (const int failed = ReadMidiInput(inputPath, input, layout)) return failed;

  ColourSummary summary;
  PianoRoll roll(layout.division);
  ResultFiles files{outputPath, {}, picturePath, {}};
  PianoRoll* picture = picturePath.empty() ? nullptr : &roll;
  CompensationSummary compensation;
  compensation.latencies = LatenciesOf(settings);
  files.midi = compensate
                   ? ColourUndoingCompensation(input, layout, table, summary, compensation, picture)
                   : ColourMidiFile(input, layout, table, summary, picture);
  if (!picturePath.empty()) files.png = PianoRollPng(roll, settings, "colour: " + inputPath);
  if (const int failed = WriteResultFiles(files)) return failed;

  std::printf("Coloured %s with the map %s:\n", inputPath.c_str(), settingsPath.c_str());
  PrintColourSummary(summary, settings);
  if (compensate) PrintColourCompensation(compensation, settings);
  std::printf("Wrote %s\n", outputPath.c_str());
  if (!picturePath.empty()) std::printf("Wrote %s\n", picturePath.c_str());
  return kExitOk;
}

int RetargetCommand(const CommonOptions& options, const MapChoice& choice,
                    const RetargetOptions& retarget, const HostMix& mix,
                    const TimingOptions& timing, const std::string& fromPath,
                    const std::string& toPath, const std::string& inputPath,
                    const std::string& outputPath, const std::string& picturePath) {
  if (const int refused = RefuseOutputOverInput(
          options, "retarget", {{"map", fromPath}, {"map", toPath}, {"input", inputPath}},
          {{"output", outputPath}, {"picture", picturePath}}))
    return refused;
  PluginSettings from, to;
  if (const int failed = ReadAnySettings(options, choice, fromPath, from)) return failed;
  if (const int failed = ReadAnySettings(options, choice, toPath, to)) return failed;
  SlotOutputTable table;
  if (const int failed = ReadableTable(fromPath, from, table)) return failed;

  const PairingResult pairing = retarget.matchNames
                                    ? PairSlotsByName(from, to, retarget.fallback)
                                    : PairSlotsByNumber(from, to, retarget.fallback);
  if (!pairing.unmatched.empty()) {
    std::string list;
    for (int slot : pairing.unmatched) list += (list.empty() ? "" : ", ") + SlotLabel(from, slot);
    return Fail(kExitBadInput, "no slot of " + toPath + " plays " + list + " of " + fromPath +
                                   " (--fallback N names one for them)");
  }
  if (!pairing.lines.empty()) {
    std::printf("Slots of %s played by slots of %s:\n", fromPath.c_str(), toPath.c_str());
    for (const std::string& line : pairing.lines) std::printf("  %s\n", line.c_str());
  }

  std::vector<uint8_t> input;
  MidiLayout layout;
  if (const int failed = ReadMidiInput(inputPath, input, layout)) return failed;
  const VelocityLevels levels;
  if (!levels.complete())
    return Fail(kExitPlugin, "this build cannot find a level for every velocity 1..127");
  std::string error;
  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);

  ColourSummary colours;
  RenderSummary summary;
  PianoRoll roll(layout.division);
  ResultFiles files{outputPath, {}, picturePath, {}};
  {
    PlugHost host(nullptr);
    PluginInstance instance(*library, &host);
    if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
    if (!instance.LoadState(EncodeState(to), error)) return Fail(kExitPlugin, error);
    MergedMidiEvents merged(input, layout);
    ColouredEvents coloured(merged, table, colours, pairing.pairing);
    RenderRequest request;
    request.input = &input;
    request.layout = &layout;
    request.events = &coloured;
    request.mix = mix;
    // The notes play as the slots of TO they now are: by TO's latencies.
    const SlotLatencies latencies = LatenciesOf(to);
    if (timing.compensate) request.latencies = &latencies;
    request.leadMs = timing.leadMs;
    if (!picturePath.empty()) request.picture = &roll;
    RenderThroughDll(instance, host, levels, request, "retargeting", files.midi, summary);
  }
  if (!picturePath.empty()) files.png = PianoRollPng(roll, to, "retarget: " + inputPath);
  if (const int failed = WriteResultFiles(files)) return failed;

  std::printf("Read %s with the map %s:\n", inputPath.c_str(), fromPath.c_str());
  PrintColourSummary(colours, from);
  std::printf("Played with the map %s:\n", toPath.c_str());
  PrintRenderSummary(summary, to);
  std::printf("Wrote %s\n", outputPath.c_str());
  if (!picturePath.empty()) std::printf("Wrote %s\n", picturePath.c_str());
  return kExitOk;
}
