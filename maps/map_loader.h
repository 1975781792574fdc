// One plug-in instance's map loader: applies a map loaded from a file or the
// clipboard to the instance, keeps one step back, and hands the current map
// out. It owns the instance's turn at its state: the host's saves and loads
// go through it too, so a load from a file and a host's save or load never
// interleave (nothing half-read), and the step back never mixes with a
// host's load.
//
// A load reaches the engine the way a host's state load does: the new state
// is built as bytes (map_loading.h) and read by LoadState from memory. The
// audio thread takes no part in the turn and never waits: it reads the
// settings' words and the published slot additions as during a host's load,
// and a note sounding during a load ends on the channels and key of its
// note-on (the voice keeps its message). The slots' messages go out again
// with the next note, as after any state load.
//
// Threads: the host's operations on the host's thread; the rest on the
// editor's thread (the window thread). Either may be the same thread. The
// turn is a lock held while a state is saved, built or applied: a few
// milliseconds for the largest real map, never by the audio thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/data_model.h"
#include "engine/editor_repaint.h"
#include "maps/map_loading.h"
#include "maps/plugin_settings.h"
#include "state/byte_stream.h"

class MapLoader {
 public:
  // `repaint` (may be null) is asked for a whole-panel repaint after every
  // change the loader makes.
  MapLoader(DataModel& model, EditorRepaint* repaint) : model_(model), repaint_(repaint) {}
  MapLoader(const MapLoader&) = delete;
  MapLoader& operator=(const MapLoader&) = delete;

  // [host's thread] SaveOrLoadState. A host's load forgets the step back:
  // the slots before a map's load no longer belong to the project loaded.
  void SaveHostState(ByteStream& out);
  void LoadHostState(ByteStream& in);

  // [editor thread] What a file offers (map_loading.h); changes nothing.
  static bool Inspect(const std::string& fileName, const std::vector<uint8_t>& bytes,
                      MapOffer& offer, MapLoadReport& report) noexcept {
    return InspectMapFile(fileName, bytes, offer, report);
  }

  // [editor thread] Loads one choice of an offer. On success the state before
  // it becomes the one step back. On failure nothing changes.
  bool Load(const MapOffer& offer, MapPick pick, MapLoadReport& report) noexcept;

  // [editor thread] Inspect and Load in one: for a file that offers exactly
  // one thing to load (a file of several banks or pages needs the composer's
  // choice: then nothing changes and the summary says so).
  bool LoadFile(const std::string& fileName, const std::vector<uint8_t>& bytes,
                MapLoadReport& report) noexcept;

  // [editor thread] "Undo load": back to the state before the last load,
  // byte for byte, the instance's first-load rule included. False when
  // there is no step back (none yet, taken already, or a host's load since).
  bool CanUndo() const;
  bool UndoLoad(MapLoadReport& report) noexcept;

  // [editor thread] The current map as our JSON map ("Copy map").
  bool CurrentMapJson(std::string& text, MapLoadReport& report) noexcept;
  // [editor thread] The current map as the text of `outName`, whose
  // extension chooses the format ("Save map as..."); map_saving.h.
  bool CurrentMapText(const std::string& outName, std::string& text,
                      MapLoadReport& report) noexcept;

  // [any thread but the audio thread] The bytes a host's save would get now.
  std::vector<uint8_t> CurrentState();

  // [editor thread] The sixteen slots as they stand, for an editor of the
  // whole map. False, with the reason, only when memory runs out.
  bool CurrentSlots(SlotSettingsArray& slots, std::string& error) noexcept;
  // [editor thread] Makes `slots` the sixteen slots, everything else as it
  // is, by the path a load takes: built aside and published in one step,
  // heard from the next note on. Values outside their ranges are held
  // within them, as a state load holds them. No step back for Undo load is
  // made or lost: the loads' undo is the loads'. False, with the reason,
  // only when memory runs out; nothing changes then.
  bool ReplaceSlots(const SlotSettingsArray& slots, std::string& error) noexcept;

  // [any thread] Moves whenever the slots may have changed, by whatever
  // path (the panel, a host's load, a map load, ReplaceSlots).
  uint32_t SlotsGeneration() const { return model_.additions.Generation(); }

 private:
  std::vector<uint8_t> SaveLocked();
  // Loads a state as a load from a file does; `asFresh` reads it as by a
  // fresh instance (the instance's own first-load rule is the caller's).
  void ApplyLocked(const std::vector<uint8_t>& state, bool asFresh = false);

  DataModel& model_;
  EditorRepaint* repaint_;
  mutable std::mutex turn_;
  // The step back: the state before the last load, whether the instance
  // was still fresh then, and what the load brought.
  std::vector<uint8_t> before_;
  uint8_t freshBefore_ = 0;
  std::string loadedName_;
};
