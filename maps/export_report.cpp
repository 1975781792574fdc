#include "maps/export_report.h"

#include <algorithm>

#include "maps/quoted.h"
#include "maps/text_encoding.h"

namespace {

// A slot's name, stored as Windows-1252, quoted in UTF-8.
std::string QuotedName(const std::string& windows1252) {
  return Quoted(Windows1252ToUtf8(windows1252));
}

std::string SlotLabel(const SlotSettings& slot, int index) {
  std::string label = "slot " + std::to_string(index + 1);
  if (!slot.name.empty()) label.append(" ").append(QuotedName(slot.name));
  return label;
}

// The items of `want` that `got` lacks and those `got` adds, keeping order:
// what lies outside a longest common subsequence.
void Difference(const std::vector<std::string>& want, const std::vector<std::string>& got,
                std::vector<std::string>& lost, std::vector<std::string>& added) {
  const size_t n = want.size(), m = got.size();
  std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = n; i-- > 0;)
    for (size_t j = m; j-- > 0;)
      common[i][j] = want[i] == got[j] ? common[i + 1][j + 1] + 1
                                       : std::max(common[i + 1][j], common[i][j + 1]);
  size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && want[i] == got[j]) {
      ++i, ++j;
    } else if (j == m || (i < n && common[i + 1][j] >= common[i][j + 1])) {
      lost.push_back(want[i++]);
    } else {
      added.push_back(got[j++]);
    }
  }
}

class SlotReport {
 public:
  SlotReport(const ExportLosses& losses, int index, std::string label)
      : losses_(losses), index_(index), prefix_(std::move(label) + ": ") {}

  // Lost items as warnings, each with its writer's reason; added items only
  // where no reason explains the slot's change (they follow from it).
  void Items(const std::vector<std::string>& want, const std::vector<std::string>& got,
             std::vector<std::string>& warnings) {
    std::vector<std::string> lost, added;
    Difference(want, got, lost, added);
    for (const std::string& item : lost) {
      const std::string* reason = Reason(item);
      explained_ = explained_ || reason;
      warnings.push_back(
          prefix_ + item + " not kept: " +
          (reason ? *reason : "an import of the written file does not give it back"));
    }
    for (const std::string& item : added) added_.push_back(item);
  }

  void Added(std::vector<std::string>& warnings) const {
    if (explained_) return;
    for (const std::string& item : added_)
      warnings.push_back(prefix_ + "an import of the written file adds " + item);
  }

  // A name or an icon: what comes back instead.
  void Changed(const std::string& want, const std::string& got, std::vector<std::string>& notes) {
    if (want == got) return;
    const std::string* reason = Reason(want);
    notes.push_back(prefix_ + want + " comes back as " + got + (reason ? ": " + *reason : ""));
  }

 private:
  const std::string* Reason(const std::string& item) const {
    for (const ExportLoss& loss : losses_)
      if (loss.slot == index_ && loss.item == item) return &loss.reason;
    return nullptr;
  }

  const ExportLosses& losses_;
  int index_;
  std::string prefix_;
  bool explained_ = false;
  std::vector<std::string> added_;
};

// The map's own settings: none of the formats has a place for them.
void MapSettings(const PluginSettings& want, const PluginSettings& got, const std::string& format,
                 std::vector<std::string>& warnings, std::vector<std::string>& notes) {
  if (want.channel != got.channel)
    warnings.push_back("channel " + std::to_string(want.channel + 1) + " not kept: " + format +
                       " has no channel of the map's own; what the plug-in sends on its channel "
                       "goes to the track's");
  if (want.port != got.port)
    warnings.push_back("port " + std::to_string(want.port) + " not kept: " + format +
                       " has no MIDI port");
  if (want.ccGhosting != got.ccGhosting)
    warnings.push_back("option \"CC ghosting\" not kept: " + format +
                       " holds none of the plug-in's options");
  for (int i = 0; i < kControllerCount; ++i)
    if (want.controllers[i] != got.controllers[i])
      warnings.push_back("controller " + std::string(kControllerNames[i]) + " (CC " +
                         std::to_string(kControllerCcNumbers[i]) + ") at " +
                         std::to_string(want.controllers[i]) + " not kept: " + format +
                         " holds no controller values");
  if (want.preservePortChannel != got.preservePortChannel)
    notes.push_back("option \"preserve port/channel\" not kept: " + format +
                    " holds none of the plug-in's options");
  if (want.pageIndex != got.pageIndex && want.pageIndex >= 0 && want.pageIndex < 3)
    notes.push_back("the editor's page \"" + std::string(kPageNames[want.pageIndex]) +
                    "\" not kept: " + format + " holds no editor settings");
  if (want.selectedSlot != got.selectedSlot)
    notes.push_back("selected slot " + std::to_string(want.selectedSlot + 1) +
                    " not kept: " + format + " holds no editor settings");
}

}  // namespace

void ReportExportLosses(const PluginSettings& wanted, const PluginSettings& back,
                        const ExportLosses& losses, const std::string& format,
                        std::vector<std::string>& warnings, std::vector<std::string>& notes) {
  MapSettings(wanted, back, format, warnings, notes);
  for (int i = 0; i < kSlotCount; ++i) {
    const SlotSettings& want = wanted.slots[i];
    const SlotSettings& got = back.slots[i];
    SlotReport report(losses, i, SlotLabel(want, i));
    report.Items(MessageItems(want), MessageItems(got), warnings);
    report.Items(NoteSettingItems(want), NoteSettingItems(got), warnings);
    report.Added(warnings);
    report.Changed("name " + QuotedName(want.name), "name " + QuotedName(got.name), notes);
    report.Changed(IconItem(want.icon), IconItem(got.icon), notes);
  }
}
