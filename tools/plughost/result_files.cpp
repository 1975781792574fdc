#include "tools/plughost/result_files.h"

#include <array>

#include "tools/plughost/commands.h"
#include "tools/plughost/file_io.h"
#include "tools/render/piano_roll_picture.h"
#include "tools/render/png_writer.h"

std::vector<uint8_t> PianoRollPng(const PianoRoll& roll, const PluginSettings& settings,
                                  const std::string& title) {
  std::array<std::string, kSlotCount> names;
  for (int s = 0; s < kSlotCount; ++s) names[s] = settings.slots[s].name;
  const Picture picture = DrawPianoRoll(roll, names, title);
  return EncodePng(picture.width, picture.height, picture.rgb);
}

int WriteResultFiles(const ResultFiles& files) {
  std::string error;
  if (!files.picturePath.empty() && !WriteFileAtomically(files.picturePath, files.png, error))
    return Fail(kExitBadInput, error);
  if (!WriteFileAtomically(files.midiPath, files.midi, error)) {
    if (!files.picturePath.empty()) RemoveFile(files.picturePath);
    return Fail(kExitBadInput, error);
  }
  return kExitOk;
}
