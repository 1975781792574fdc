// colour and retarget: keyswitched MIDI in, coloured notes out; and a part
// moved from one library's map to another's. The reading of articulations
// lives in tools/render (colouring.h); this file reads the inputs, reports
// and writes.
#include <windows.h>

#include <bitset>
#include <cstdio>

#include "maps/counted.h"
#include "maps/map_file.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "maps/name_matching.h"
#include "maps/slot_pair_list.h"
#include "maps/state_bytes.h"
#include "maps/text_encoding.h"
#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/compensation_report.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/dll_render_target.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/left_out_advice.h"
#include "tools/plughost/overlap_report.h"
#include "tools/plughost/result_files.h"
#include "tools/plughost/same_file.h"
#include "tools/render/bar_positions.h"
#include "tools/render/colouring.h"
#include "tools/render/latency_compensation.h"
#include "tools/render/render_session.h"
#include "tools/render/slot_pairing.h"

namespace {

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

// "track 2, bar 12:3 (tie)" for each guessed note listed, then how many more.
void PrintGuessedNotes(const ColourSummary& summary, const MidiLayout& layout) {
  const int guessed = summary.unexplained + summary.ties;
  if (guessed == 0) return;
  const BarPositions bars(layout.division, summary.metres, summary.endTick);
  Print("  guessed notes (track, bar:beat):\n");
  for (const GuessedNote& note : summary.guessed)
    Print("    track %d, %s (%s)\n", note.track + 1, bars.Where(note.tick).c_str(),
          note.tie ? "tie" : "unexplained");
  if (guessed > static_cast<int>(summary.guessed.size()))
    Print("    and %d more\n", guessed - static_cast<int>(summary.guessed.size()));
}

// With --strict a guessed note is an error, before anything is written.
int RefuseGuesses(const ColourSummary& summary, const MidiLayout& layout, bool strict,
                  const std::string& input) {
  if (!strict || summary.unexplained + summary.ties == 0) return kExitOk;
  PrintGuessedNotes(summary, layout);
  return Fail(kExitBadInput, input + ": " + std::to_string(summary.unexplained) +
                                 " unexplained and " + std::to_string(summary.ties) +
                                 " tied notes (--strict); nothing written");
}

void PrintColourSummary(const ColourSummary& summary, const PluginSettings& settings) {
  Print("  notes read:        %d\n", summary.notesRead);
  for (int s = 0; s < kSlotCount; ++s)
    if (summary.perSlot[s])
      Print("  %-18s %d\n", (SlotLabel(settings, s) + ":").c_str(), summary.perSlot[s]);
  Print("  unexplained:       %d (kept the slot of the note before)\n", summary.unexplained);
  Print("  ties:              %d (the lowest slot taken)\n", summary.ties);
  Print("  messages removed:  %d\n", summary.messagesRemoved);
  if (summary.layerNotes)
    Print("  layered copies:    %d (note-ons of another channel read as one note)\n",
          summary.layerNotes);
  if (summary.controllerCopies)
    Print("  controller copies: %d (the map's controllers repeated on its other note channels)\n",
          summary.controllerCopies);
  if (summary.strayNoteOffs)
    Print("  stray note-offs:   %d removed (they ended no note)\n", summary.strayNoteOffs);
  if (summary.endedAtEnd)
    Print("  never ended:       %s without a note-off, ended at the file's last tick\n",
          Counted(summary.endedAtEnd, "note").c_str());
}

// One line per slot the part plays, with its partner and why.
void PrintPairing(const PairingResult& pairing, const std::string& from, const std::string& to) {
  if (pairing.lines.empty()) return;
  Print("Slots of %s played by slots of %s:\n", from.c_str(), to.c_str());
  for (const std::string& line : pairing.lines) Print("  %s\n", line.c_str());
}

// One map of a retarget, for what a pair by hand may name.
struct PairSide {
  const PluginSettings* settings;
  const SettingsSource* source;
  const std::string& path;
  const std::string& pickOption;

  // A side of a pair that names no slot but an articulation the import of
  // this file left out: why, and how to take it; else empty.
  std::string LeftOut(const std::string& side) const {
    if (side.find_first_not_of("0123456789") == std::string::npos) return "";  // a number
    for (const SlotSettings& slot : settings->slots)
      if (SameName(Windows1252ToUtf8(slot.name), side)) return "";
    return LeftOutExplanation(source->import, side, path, pickOption);
  }
};

// Added to a pairing error when the pair that failed names an articulation
// one of the files holds beyond what was taken from it.
std::string LeftOutPairSide(const SlotPairList& pairs, const PairSide& from, const PairSide& to) {
  for (const auto& [fromSide, toSide] : pairs) {
    const std::string why = from.LeftOut(fromSide);
    if (!why.empty()) return ": " + why;
    const std::string whyTo = to.LeftOut(toSide);
    if (!whyTo.empty()) return ": " + whyTo;
  }
  return "";
}

// --pair and --pairs, in that order (a later pair of one slot wins).
int ReadPairs(const RetargetOptions& retarget, PairingRequest& request) {
  request.byNumber = retarget.matchNumbers;
  request.fallback = retarget.fallback;
  for (const auto& [from, to] : retarget.pairs) request.byHand.emplace_back(from, to);
  if (retarget.pairsFile.empty()) return kExitOk;
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(retarget.pairsFile, bytes, error))
    return Fail(kExitBadInput, "cannot read the pairs " + retarget.pairsFile + ": " + error);
  if (!ParseSlotPairFile(std::string(bytes.begin(), bytes.end()), request.byHand, error))
    return Fail(kExitBadInput, retarget.pairsFile + ": " + error);
  return kExitOk;
}

}  // namespace

int ColourCommand(const CommonOptions& options, const MapChoice& choice, bool compensate,
                  const std::string& settingsPath, const std::string& inputPath,
                  const std::string& outputPath, const std::string& picturePath, bool strict) {
  if (const int refused = RefuseOutputOverInput(options, "colour",
                                                {{"settings", settingsPath}, {"input", inputPath}},
                                                {{"output", outputPath}, {"picture", picturePath}}))
    return refused;
  PluginSettings settings;
  if (const int failed = LoadSettingsThroughPlugin(options, choice, settingsPath, settings))
    return failed;
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
  if (const int refused = RefuseGuesses(summary, layout, strict, inputPath)) return refused;
  if (!picturePath.empty()) files.png = PianoRollPng(roll, settings, "colour: " + inputPath);
  if (const int failed = WriteResultFiles(files)) return failed;

  Print("Coloured %s with the map %s:\n", inputPath.c_str(), settingsPath.c_str());
  PrintColourSummary(summary, settings);
  PrintGuessedNotes(summary, layout);
  PrintOverlappingNotes(summary.overlaps, layout.division, summary.metres, summary.endTick);
  if (compensate) PrintColourCompensation(compensation, settings);
  Print("Wrote %s\n", outputPath.c_str());
  if (!picturePath.empty()) Print("Wrote %s\n", picturePath.c_str());
  return kExitOk;
}

int RetargetCommand(const CommonOptions& options, const MapChoice& choice,
                    const RetargetOptions& retarget, const HostMix& mix,
                    const TimingOptions& timing, const std::string& fromPath,
                    const std::string& toPath, const std::string& inputPath,
                    const std::string& outputPath, const std::string& picturePath) {
  if (const int refused = RefuseOutputOverInput(
          options, "retarget",
          {{"map", fromPath}, {"map", toPath}, {"input", inputPath}, {"pairs", retarget.pairsFile}},
          {{"output", outputPath}, {"picture", picturePath}}))
    return refused;
  PluginSettings from, to;
  SettingsSource fromSource, toSource;
  if (const int failed = LoadSettingsThroughPlugin(options, choice, fromPath, from, &fromSource))
    return failed;
  if (const int failed = LoadSettingsThroughPlugin(options, retarget.to, toPath, to, &toSource))
    return failed;
  SlotOutputTable table;
  if (const int failed = ReadableTable(fromPath, from, table)) return failed;
  PairingRequest request;
  if (const int failed = ReadPairs(retarget, request)) return failed;

  std::vector<uint8_t> input;
  MidiLayout layout;
  if (const int failed = ReadMidiInput(inputPath, input, layout)) return failed;
  const PerformedControllers performed = PerformedIn(input, layout, table);
  // Every slot the map can read needs a partner, unless the part does not
  // play it: then (and for --strict) the part is read once before the
  // render, to know the slots it plays and refuse before anything is played.
  std::bitset<kSlotCount> used;
  for (int s = 0; s < kSlotCount; ++s) used[s] = table.readable[s];
  PairingResult pairing = PairSlots(from, to, used, request);
  if (!pairing.error.empty())
    return Fail(
        kExitBadInput,
        "--pair: " + pairing.error +
            LeftOutPairSide(request.byHand, {&from, &fromSource, fromPath, choice.pickOption},
                            {&to, &toSource, toPath, retarget.to.pickOption}));
  if (!pairing.unmatched.empty() || retarget.strict) {
    ColourSummary reading;
    MergedMidiEvents merged(input, layout);
    ColouredEvents coloured(merged, table, reading, IdentityPairing(), nullptr, &performed);
    MidiEventView e;
    int track = 0;
    while (coloured.Next(e, track)) {
    }
    if (const int refused = RefuseGuesses(reading, layout, retarget.strict, inputPath))
      return refused;
    for (int s = 0; s < kSlotCount; ++s) used[s] = reading.perSlot[s] > 0;
    pairing = PairSlots(from, to, used, request);
  }
  if (!pairing.unmatched.empty()) {
    PrintPairing(pairing, fromPath, toPath);
    std::string list;
    for (int slot : pairing.unmatched) list += (list.empty() ? "" : ", ") + SlotLabel(from, slot);
    return Fail(kExitBadInput, "no slot of " + toPath + " plays " + list + " of " + fromPath +
                                   "; free slots of " + toPath + ": " +
                                   FreeSlots(to, pairing, used) +
                                   " (--pair FROM=TO pairs one, --fallback N plays slot N for "
                                   "all of them)");
  }

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
    ColouredEvents coloured(merged, table, colours, pairing.pairing, nullptr, &performed);
    RenderRequest request;
    request.input = &input;
    request.layout = &layout;
    request.events = &coloured;
    request.mix = mix;
    request.outputs = NoteOutputs(to);
    // The notes play as the slots of TO they now are: by TO's latencies.
    const SlotLatencies latencies = LatenciesOf(to);
    if (timing.compensate) request.latencies = &latencies;
    request.leadMs = timing.leadMs;
    if (!picturePath.empty()) request.picture = &roll;
    RenderThroughDll(instance, host, levels, request, "retargeting", files.midi, summary);
  }
  if (!picturePath.empty()) files.png = PianoRollPng(roll, to, "retarget: " + inputPath);
  if (const int failed = WriteResultFiles(files)) return failed;

  for (int s = 0; s < kSlotCount; ++s) used[s] = colours.perSlot[s] > 0;
  PrintPairing(PairSlots(from, to, used, request), fromPath, toPath);
  Print("Read %s with the map %s:\n", inputPath.c_str(), fromPath.c_str());
  PrintColourSummary(colours, from);
  Print("Played with the map %s:\n", toPath.c_str());
  PrintRenderSummary(summary, to);
  Print("Wrote %s\n", outputPath.c_str());
  if (!picturePath.empty()) Print("Wrote %s\n", picturePath.c_str());
  return kExitOk;
}
