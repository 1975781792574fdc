// Files dropped on the panel. Some hosts hold an OLE drop target on their
// own window, and then a plain WM_DROPFILES never reaches a child window:
// the panel registers an OLE drop target of its own, after OleInitialize on
// its thread, and revokes it before the window goes. Where OLE cannot be
// had on that thread (its apartment is multi-threaded, or registering
// fails), the panel accepts WM_DROPFILES instead.
//
// Either way the editor hears of a drop as the dropped paths and the
// point of the drop; the drop itself returns at once, so the program the
// files come from never waits on what the panel then asks.
//
// The first step of a dropped file's way to the slots; the whole way and the
// rule a load follows are told at the top of maps/map_loading.h.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <string>
#include <vector>

struct DroppedFiles {
  std::vector<std::wstring> paths;
  POINT screen{0, 0};  // where the drop happened, in screen coordinates
};

class FileDropSink {
 public:
  // [editor thread] Files were dropped.
  virtual void FilesDropped(DroppedFiles files) = 0;

 protected:
  ~FileDropSink() = default;
};

class FileDropRegistration {
 public:
  enum class Path { kNone, kOle, kDropFiles };

  FileDropRegistration() = default;
  ~FileDropRegistration() { Revoke(); }
  FileDropRegistration(const FileDropRegistration&) = delete;
  FileDropRegistration& operator=(const FileDropRegistration&) = delete;

  // [window's thread] Registers the window for drops, OLE first.
  void Register(HWND window, FileDropSink* sink);
  // [window's thread] Undoes Register; call while the window still exists.
  void Revoke();

  Path path() const { return path_; }
  // The registered OLE target, for tests that drop through it as the
  // system would; null on the other paths.
  IDropTarget* oleTarget() const;

 private:
  class Target;
  HWND window_ = nullptr;
  Path path_ = Path::kNone;
  bool oleInitialized_ = false;
  Target* target_ = nullptr;
};

// The paths and the drop point (screen coordinates) of an HDROP, whose
// point is in the client coordinates of `window`.
DroppedFiles FilesOfDrop(HDROP drop, HWND window);
