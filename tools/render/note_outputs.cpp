#include "tools/render/note_outputs.h"

#include "tools/render/slot_outputs.h"

NoteOutputs::NoteOutputs(const PluginSettings& settings) {
  // The slot table resolves the note channels as the plug-in does.
  const SlotOutputTable table = SlotOutputsOf(settings);
  channels_ = table.noteChannels;
  transpose_ = table.transpose;
}
