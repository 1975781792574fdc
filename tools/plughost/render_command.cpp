// render: a coloured MIDI file in, the plug-in's articulated output out.
#include <windows.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "maps/counted.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/compensation_report.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/overlap_report.h"
#include "tools/plughost/progress_line.h"
#include "tools/plughost/result_files.h"
#include "tools/plughost/same_file.h"
#include "tools/plughost/dll_render_target.h"
#include "tools/plughost/settings_file.h"
#include "tools/render/render_session.h"
#include "tools/render/slot_outputs.h"

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) || std::getenv("PLUGHOST_STDERR_IS_TERMINAL") != nullptr;
}

void RenderThroughDll(const PluginInstance& instance, PlugHost& host, const VelocityLevels& levels,
                      RenderRequest request, const char* doing, std::vector<uint8_t>& output,
                      RenderSummary& summary) {
  ProgressLine::Writer toTerminal;
  if (StderrIsTerminal())
    toTerminal = [](const std::string& text) { WriteText(Stream::kErr, text); };
  ProgressLine progress(toTerminal, doing);
  const ULONGLONG start = GetTickCount64();
  request.progress = [&](size_t played, size_t total) {
    progress.Update(played, total, GetTickCount64() - start);
  };
  DllRenderTarget target(instance, host);
  RenderThrough(target, levels, request, output, summary);
}

void PrintRenderSummary(const RenderSummary& summary, const PluginSettings& settings) {
  Print("  pan and volume:    %d and %d, reported before playback\n", summary.mix.pan,
        summary.mix.volume);
  Print("  notes in:          %d\n", summary.notesIn);
  // A slot that switches nothing leaves its notes in whatever articulation
  // was in force: say so, slot by slot.
  const SlotOutputTable table = SlotOutputsOf(settings);
  for (int s = 0; s < kSlotCount; ++s)
    if (summary.notesByColour[s] && !table.readable[s])
      Print(
          "  empty slot:        %s of %s, which switches nothing: they play in whatever "
          "articulation is in force\n",
          Counted(summary.notesByColour[s], "note").c_str(), SlotLabel(settings, s).c_str());
  Print("  messages out:      %d\n", summary.messagesOut);
  Print("  keyswitches sent:  %d\n", summary.keyswitches);
  Print("  UACC changes:      %d\n", summary.uaccChanges);
  Print("  modwheel changes:  %d\n", summary.modwheelChanges);
  Print("  controllers in:    %d\n", summary.controllerEvents);
  if (summary.ignoredEvents)
    Print("  ignored:           %s the plug-in has no use for\n",
          Counted(summary.ignoredEvents, "event").c_str());
  if (summary.unmatchedNoteOffs)
    Print("  ignored:           %s without a sounding note\n",
          Counted(summary.unmatchedNoteOffs, "note-off").c_str());
  PrintOverlappingNotes(summary.overlaps, summary.division, summary.metres, summary.endTick);
  if (summary.droppedNotes)
    Print("  dropped:           %s the plug-in made no voice for\n",
          Counted(summary.droppedNotes, "note").c_str());
  if (summary.endedAtStop)
    Print("  ended at stop:     %s still sounding at the end of the file\n",
          Counted(summary.endedAtStop, "note").c_str());
  if (summary.clippedDataBytes)
    Print("  warning:           %s had data bytes above 127, written as their low seven bits\n",
          Counted(summary.clippedDataBytes, "message").c_str());
  PrintRenderCompensation(summary, settings);
}

int RenderCommand(const CommonOptions& options, const MapChoice& choice, const HostMix& mix,
                  const TimingOptions& timing, const std::string& settingsPath,
                  const std::string& inputPath, const std::string& outputPath,
                  const std::string& picturePath) {
  if (const int refused = RefuseOutputOverInput(options, "render",
                                                {{"settings", settingsPath}, {"input", inputPath}},
                                                {{"output", outputPath}, {"picture", picturePath}}))
    return refused;
  SettingsSource source;
  if (const int failed = ReadSettingsArgument(settingsPath, choice, source)) return failed;
  const std::vector<uint8_t>& state = source.state;
  std::string error;

  std::vector<uint8_t> input;
  MidiLayout layout;
  if (!ReadWholeFile(inputPath, input, error))
    return Fail(kExitBadInput, "cannot read " + inputPath + ": " + error);
  if (!ReadMidiLayout(input, layout, error)) return Fail(kExitBadInput, inputPath + ": " + error);

  const VelocityLevels levels;
  if (!levels.complete())
    return Fail(kExitPlugin, "this build cannot find a level for every velocity 1..127");

  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);
  RenderSummary summary;
  PianoRoll roll(layout.division);
  PluginSettings settings;  // for the summary's slots, the picture's legend and the latencies
  ResultFiles files{outputPath, {}, picturePath, {}};
  {
    // The instance has its editor window, as in any host; hidden, it costs
    // the notes nothing.
    PlugHost host(nullptr);
    PluginInstance instance(*library, &host);
    if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
    {
      std::vector<uint8_t> saved;
      if (!RoundTripThroughPlugin(instance, state, saved, settings, error))
        return Fail(kExitPlugin, error);
    }
    if (!instance.LoadState(state, error)) return Fail(kExitPlugin, error);
    RenderRequest request;
    request.input = &input;
    request.layout = &layout;
    request.mix = mix;
    request.outputs = NoteOutputs(settings);
    const SlotLatencies latencies = LatenciesOf(settings);
    if (timing.compensate) request.latencies = &latencies;
    request.leadMs = timing.leadMs;
    if (!picturePath.empty()) request.picture = &roll;
    RenderThroughDll(instance, host, levels, request, "rendering", files.midi, summary);
  }
  if (!picturePath.empty()) files.png = PianoRollPng(roll, settings, "render: " + inputPath);
  if (const int failed = WriteResultFiles(files)) return failed;

  Print("Rendered %s (%.1f s) with the settings of %s:\n", inputPath.c_str(), summary.seconds,
        settingsPath.c_str());
  PrintRenderSummary(summary, settings);
  Print("Wrote %s\n", outputPath.c_str());
  if (!picturePath.empty()) Print("Wrote %s\n", picturePath.c_str());
  return kExitOk;
}
