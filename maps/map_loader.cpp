#include "maps/map_loader.h"

#include <exception>
#include <memory>

#include "maps/map_saving.h"
#include "maps/state_bytes.h"
#include "state/memory_byte_stream.h"
#include "state/state_stream.h"

std::vector<uint8_t> MapLoader::SaveLocked() {
  MemoryByteStream out;
  SaveState(model_, out);
  return std::move(out.bytes);
}

void MapLoader::ApplyLocked(const std::vector<uint8_t>& state, bool asFresh) {
  // Read aside, from a copy of the settings as they stand (the preserve
  // rule looks at them), then taken over with the slots in one step: the
  // state reader resets every field before it reads, and a note played
  // meanwhile must not switch with those defaults.
  auto loaded = std::make_unique<DataModel>(model_);
  if (asFresh) loaded->freshInstance = 1;
  MemoryByteStream in(state);
  LoadState(*loaded, in, nullptr);
  model_.TakeLoadedSettings(*loaded);
  if (repaint_) repaint_->InvalidateEditor(false);
}

void MapLoader::SaveHostState(ByteStream& out) {
  std::lock_guard<std::mutex> turn(turn_);
  SaveState(model_, out);
}

void MapLoader::LoadHostState(ByteStream& in) {
  std::lock_guard<std::mutex> turn(turn_);
  LoadState(model_, in, repaint_);
  before_.clear();
  before_.shrink_to_fit();
  loadedName_.clear();
}

std::vector<uint8_t> MapLoader::CurrentState() {
  std::lock_guard<std::mutex> turn(turn_);
  return SaveLocked();
}

bool MapLoader::Load(const MapOffer& offer, MapPick pick, MapLoadReport& report) noexcept {
  try {
    std::lock_guard<std::mutex> turn(turn_);
    std::vector<uint8_t> current = SaveLocked(), loaded;
    if (!BuildLoadedState(offer, pick, current, loaded, report)) return false;
    // Everything that can fail has been done: from here the load completes.
    const uint8_t fresh = model_.freshInstance;
    std::string name = offer.fileName;
    ApplyLocked(loaded);
    before_ = std::move(current);
    freshBefore_ = fresh;
    loadedName_ = std::move(name);
    return true;
  } catch (...) {
    report = {};
    report.summary = "Not loaded: " + offer.fileName + ": not enough memory to load it";
    return false;
  }
}

bool MapLoader::LoadFile(const std::string& fileName, const std::vector<uint8_t>& bytes,
                         MapLoadReport& report) noexcept {
  MapOffer offer;
  if (!Inspect(fileName, bytes, offer, report)) return false;
  // Nothing loadable: the load of the first bank says why.
  if (offer.ChoiceCount() == 0) return Load(offer, {}, report);
  if (offer.ChoiceCount() != 1) {
    report = {};
    report.summary = "Not loaded: " + offer.fileName + " offers " +
                     std::to_string(offer.ChoiceCount()) + " banks and pages to choose from";
    return false;
  }
  MapPick pick;
  for (size_t b = 0; b < offer.banks.size(); ++b)
    if (!offer.banks[b].pages.empty()) pick.bank = b;
  return Load(offer, pick, report);
}

bool MapLoader::CanUndo() const {
  std::lock_guard<std::mutex> turn(turn_);
  return !before_.empty();
}

bool MapLoader::UndoLoad(MapLoadReport& report) noexcept {
  try {
    std::lock_guard<std::mutex> turn(turn_);
    report = {};
    if (before_.empty()) {
      report.summary = "Nothing to undo: no map was loaded since the host's last load";
      return false;
    }
    // The state before the load comes back whole: read as by a fresh
    // instance, so the preserve rule keeps none of what the load brought,
    // and then as fresh or not as the instance was.
    ApplyLocked(before_, true);
    model_.freshInstance = freshBefore_;
    report.summary = "Undid the load of " + loadedName_;
    before_.clear();
    loadedName_.clear();
    return true;
  } catch (...) {
    report = {};
    report.summary = "Not undone: not enough memory";
    return false;
  }
}

bool MapLoader::CurrentMapJson(std::string& text, MapLoadReport& report) noexcept {
  try {
    return MapJsonText(CurrentState(), text, report);
  } catch (...) {
    report = {};
    report.summary = "Not copied: not enough memory";
    return false;
  }
}

bool MapLoader::CurrentMapText(const std::string& outName, std::string& text,
                               MapLoadReport& report) noexcept {
  try {
    return MapTextForSave(CurrentState(), outName, text, report);
  } catch (...) {
    report = {};
    report.summary = "Not saved: not enough memory";
    return false;
  }
}

bool MapLoader::CurrentSlots(SlotSettingsArray& slots, std::string& error) noexcept {
  try {
    PluginSettings settings;
    if (!DecodeState(CurrentState(), settings, error)) return false;
    slots = settings.slots;
    return true;
  } catch (...) {
    error = "not enough memory";
    return false;
  }
}

bool MapLoader::ReplaceSlots(const SlotSettingsArray& slots, std::string& error) noexcept {
  try {
    std::lock_guard<std::mutex> turn(turn_);
    PluginSettings settings;
    if (!DecodeState(SaveLocked(), settings, error)) return false;
    if (settings.slots == slots) return true;
    settings.slots = slots;
    // Through the state reader, as a load: it keeps every value in range.
    ApplyLocked(EncodeState(settings), false);
    return true;
  } catch (...) {
    error = "not enough memory";
    return false;
  }
}
