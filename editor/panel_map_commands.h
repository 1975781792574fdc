// The panel's map commands in the window system: its map menu, files
// dropped on it, the file dialogs, the clipboard, and the menu in which
// the composer chooses what to load from a file of several banks or of
// more than sixteen articulations. Every outcome is told through the
// host's message, one per command; a file that cannot be loaded changes
// nothing.
//
// The second step of a dropped file's way to the slots (the whole way and
// the rule: maps/map_loading.h). Only the window system's side is here: the
// dialogs' lists, the extension a saved name gets and what becomes of more
// files dropped at once are plain rules (map_dialog_rules.h), the chooser's
// shape is map_menu.h.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/file_dialog_thread.h"
#include "editor/file_drop.h"
#include "editor/map_loading_service.h"
#include "editor/map_menu.h"

class PanelMapCommands final : public FileDropSink {
 public:
  // Messages the panel posts to itself: a drop to load, a dialog ended.
  static constexpr UINT kDropPending = WM_APP + 0x2A1;
  static constexpr UINT kDialogEnded = WM_APP + 0x2A2;

  // `tell` shows a text, in the system's code page, through the host's
  // message.
  explicit PanelMapCommands(std::function<void(const std::string&)> tell)
      : tell_(std::move(tell)) {}
  PanelMapCommands(const PanelMapCommands&) = delete;
  PanelMapCommands& operator=(const PanelMapCommands&) = delete;

  void SetService(MapLoadingService* service) { service_ = service; }

  // [editor thread] Once the window exists: drops are accepted from then.
  void Attach(HWND window);
  // [editor thread] Before the window goes: an open dialog is cancelled and
  // its thread waited for, drops end, and nothing pending is loaded.
  void Detach();

  // [editor thread] Closes an open file dialog as cancelled (the editor is
  // closing) and waits for its thread.
  void CloseDialog();

  // [editor thread] The map menu at a screen point, and its command.
  void OpenMenu(POINT screen);
  void Run(map_menu::Command command, POINT screen);

  // [editor thread] Messages of the panel's window this handles; true when
  // `message` was one of them.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // FileDropSink: the drop returns at once; the load follows from the
  // panel's own message queue.
  void FilesDropped(DroppedFiles files) override;

  // For tests: what stands in for the modal tracking of a popup menu. It
  // gets the menu as built and the point, and answers the command chosen
  // (0 for none, as Escape).
  using MenuTracker = std::function<UINT(HMENU menu, POINT screen)>;
  void SetMenuTracker(MenuTracker tracker) { tracker_ = std::move(tracker); }
  const FileDropRegistration& drops() const { return drops_; }
  FileDialogThread& dialog() { return dialog_; }

 private:
  enum class DialogPurpose { kNone, kLoad, kSave };

  void AppendFactoryMaps(HMENU menu, const std::vector<FactoryMenuName>& maps);
  void LoadFactoryMap(size_t index, POINT screen);
  void LoadFile(const std::wstring& path, POINT screen);
  // What to load of what was inspected: at once when there is one choice,
  // else from a menu at the point.
  void Choose(const std::string& name, const std::vector<MapBankOffer>& banks, POINT screen);
  void Paste(POINT screen);
  void Copy();
  void UndoLoad();
  void StartDialog(DialogPurpose purpose);
  void DialogEnded();
  void SaveTo(std::wstring path, DWORD filterIndex);

  UINT Track(HMENU menu, POINT screen);
  UINT TrackMenu(HMENU menu, POINT screen) const;
  // The host's texts are in the system's code page; ours are UTF-8.
  void Tell(const std::string& text) const;

  std::function<void(const std::string&)> tell_;
  MapLoadingService* service_ = nullptr;
  HWND window_ = nullptr;
  FileDropRegistration drops_;
  FileDialogThread dialog_;
  DialogPurpose purpose_ = DialogPurpose::kNone;
  std::vector<DroppedFiles> pendingDrops_;
  // While a menu of ours is open its loop may hand us more drops: they wait
  // until the choice in hand is made, so one load never mixes with another.
  bool choosing_ = false;
  MenuTracker tracker_;
};
