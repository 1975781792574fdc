// render: a coloured MIDI file in, the plug-in's articulated output out.
#include <cstdio>

#include "tools/plughost/commands.h"
#include "tools/plughost/file_io.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/midifile/midi_file_writer.h"
#include "tools/plughost/render.h"
#include "tools/plughost/settings_file.h"

int RenderCommand(const CommonOptions& options, const std::string& settingsPath,
                  const std::string& inputPath, const std::string& outputPath) {
  std::string error;
  std::vector<uint8_t> state;
  if (!ReadSettingsFile(settingsPath, state, error)) return Fail(kExitBadInput, error);

  std::vector<uint8_t> bytes;
  MidiFile input;
  if (!ReadWholeFile(inputPath, bytes, error))
    return Fail(kExitBadInput, "cannot read " + inputPath + ": " + error);
  if (!ReadMidiFile(bytes, input, error)) return Fail(kExitBadInput, inputPath + ": " + error);

  const VelocityLevels levels;
  if (!levels.complete())
    return Fail(kExitPlugin, "this build cannot find a level for every velocity 1..127");

  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);
  PlugHost host(nullptr);
  MidiFile output;
  RenderSummary summary;
  {
    PluginInstance instance(*library, &host);
    if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
    if (!instance.LoadState(state, error)) return Fail(kExitPlugin, error);
    RenderThroughPlugin(instance, host, levels, input, output, summary);
  }
  if (!WriteFileAtomically(outputPath, WriteMidiFile(output), error))
    return Fail(kExitBadInput, error);

  const std::vector<MidiEvent> merged = MergeTracks(input);
  const TempoMap tempo(input.division, merged);
  const double seconds = merged.empty() ? 0.0 : tempo.Seconds(merged.back().tick);
  std::printf("Rendered %s (%.1f s) with the settings of %s:\n", inputPath.c_str(), seconds,
              settingsPath.c_str());
  std::printf("  notes in:          %d\n", summary.notesIn);
  std::printf("  messages out:      %d\n", summary.messagesOut);
  std::printf("  keyswitches sent:  %d\n", summary.keyswitches);
  std::printf("  UACC changes:      %d\n", summary.uaccChanges);
  std::printf("  modwheel changes:  %d\n", summary.modwheelChanges);
  std::printf("  controllers in:    %d\n", summary.controllerEvents);
  if (summary.ignoredEvents)
    std::printf("  ignored:           %d events the plug-in has no use for\n",
                summary.ignoredEvents);
  if (summary.unmatchedNoteOffs)
    std::printf("  ignored:           %d note-offs without a sounding note\n",
                summary.unmatchedNoteOffs);
  if (summary.droppedNotes)
    std::printf("  dropped:           %d notes the plug-in made no voice for\n",
                summary.droppedNotes);
  if (summary.endedAtStop)
    std::printf("  ended at stop:     %d notes still sounding at the end of the file\n",
                summary.endedAtStop);
  if (summary.clippedDataBytes)
    std::printf(
        "  warning:           %d messages had data bytes above 127, written as their"
        " low seven bits\n",
        summary.clippedDataBytes);
  std::printf("Wrote %s\n", outputPath.c_str());
  return kExitOk;
}
