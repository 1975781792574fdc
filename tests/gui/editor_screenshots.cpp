// Renders the three pages of the editor panel, through the painter's own
// composition, as 24-bit BMP files in the working directory:
// editor-articulation.bmp, editor-controllers.bmp, editor-settings.bmp.
// The settings shown are a small example bank, so every element has
// something to show. Exit status 0 when all three were written.
#include <windows.h>

#include <cstdio>

#include "editor/panel_snapshot.h"
#include "plugin/kavo_lumet_plug.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"

namespace {

void FillExampleBank(DataModel& m) {
  const char* const names[] = {"Sustain",   "Legato",  "Spiccato", "Staccato",
                               "Pizzicato", "Tremolo", "Trill",    "Harmonics"};
  for (int slot = 0; slot < 16; ++slot) {
    m.bank.iconId[slot] = (slot * 9 + 3) % 128;
    if (slot < 8) m.bank.name.Set(slot, names[slot]);
    m.bank.keyswitch[slot] = 24 + slot;
    m.bank.uacc[slot] = slot < 8 ? 40 + slot : -1;
  }
  m.bank.modwheel[2] = 96;
  // The shown slot also sends more: its summary appears under the values.
  SlotAdditions more;
  more.noteChannels = kPluginChannelBit | 1u << 1;
  more.keyswitchVelocity = 100;
  more.actions[0] = {ActionKind::kControlChange, 0, 58, 20};
  more.actions[1] = {ActionKind::kNoteHeld, 0, 26, 90};
  more.actionCount = 2;
  m.additions.Set(2, more);
  m.selectedSlot = 2;
  m.currentSlot = 5;
  m.output.port = 1;
  m.output.channel = 3;
  m.output.preservePortChannel = 1;
  m.controllers.value = {96, 80, 127, 40, 20, 127};
}

}  // namespace

int main() {
  RecordingHost host;
  auto* plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 1));
  if (!plug) return 1;
  FillExampleBank(plug->engine().model);
  const char* const files[] = {"editor-articulation.bmp", "editor-controllers.bmp",
                               "editor-settings.bmp"};
  int written = 0;
  panel_test::Pixels pixels(kSnapshotPixels);
  for (int page = 0; page < 3; ++page) {
    plug->engine().model.pageIndex = page;
    if (!RenderPanelSnapshot(plug->editor(), pixels.data())) {
      std::printf("no skin in the module: nothing to render\n");
      break;
    }
    if (panel_test::WriteBmp(files[page], pixels, kSnapshotSize, kSnapshotSize)) {
      std::printf("wrote %s\n", files[page]);
      ++written;
    }
  }
  plug->Destroy();
  return written == 3 ? 0 : 1;
}
