#include "editor/panel_map_commands.h"

#include <algorithm>

#include "editor/map_dialog_rules.h"
#include "editor/map_transfer.h"
#include "maps/file_names.h"

namespace {

// Command identifiers of the chooser: one more than the pick's index.
constexpr UINT kFirstPickCommand = 1;

// A dialog's filter: pairs of a description and its patterns, each ended
// by a NUL, the list by a second.
std::wstring Filter(const std::vector<DialogFileType>& lines) {
  std::wstring filter;
  for (const DialogFileType& line : lines)
    filter += panel_text::Wide(line.description) + L'\0' + panel_text::Wide(line.patterns) + L'\0';
  return filter + L'\0';
}

std::string FileNameOf(const std::wstring& path) { return MapDisplayName(panel_text::Utf8(path)); }

// A chooser's entries as a popup menu; a pick's command is `firstCommand`
// plus its index.
HMENU BuildChooserMenu(const std::vector<ChooserEntry>& entries, UINT firstCommand) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (const ChooserEntry& entry : entries) {
    const std::wstring text = panel_text::Wide(entry.text);
    if (!entry.submenu.empty()) {
      HMENU sub = BuildChooserMenu(entry.submenu, firstCommand);
      if (sub)
        AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else if (entry.pick >= 0) {
      AppendMenuW(menu, MF_STRING, firstCommand + static_cast<UINT>(entry.pick), text.c_str());
    } else {
      AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, text.c_str());
    }
  }
  return menu;
}

}  // namespace

void PanelMapCommands::Tell(const std::string& text) const {
  if (text.empty()) return;
  tell_(panel_text::SystemCodePage(text));
}

void PanelMapCommands::Attach(HWND window) {
  window_ = window;
  drops_.Register(window, this);
}

void PanelMapCommands::CloseDialog() {
  dialog_.Cancel();
  purpose_ = DialogPurpose::kNone;
}

void PanelMapCommands::Detach() {
  CloseDialog();
  drops_.Revoke();
  pendingDrops_.clear();
  window_ = nullptr;
}

UINT PanelMapCommands::Track(HMENU menu, POINT screen) {
  choosing_ = true;
  const UINT command = TrackMenu(menu, screen);
  choosing_ = false;
  if (!pendingDrops_.empty()) PostMessageW(window_, kDropPending, 0, 0);
  return command;
}

UINT PanelMapCommands::TrackMenu(HMENU menu, POINT screen) const {
  if (tracker_) return tracker_(menu, screen);
  // A menu opened while another program holds the foreground (a drop from
  // a file manager) would not close on a click elsewhere.
  SetForegroundWindow(GetAncestor(window_, GA_ROOT));
  const UINT command =
      static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       screen.x, screen.y, 0, window_, nullptr));
  PostMessageW(window_, WM_NULL, 0, 0);
  return command;
}

void PanelMapCommands::OpenMenu(POINT screen) {
  if (!window_ || choosing_) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  const bool canUndo = service_ && service_->CanUndo();
  const std::vector<FactoryMenuName> factory =
      service_ ? service_->FactoryMaps() : std::vector<FactoryMenuName>{};
  const std::vector<map_menu::Item> items = map_menu::Items(canUndo);
  for (size_t i = 0; i < items.size(); ++i) {
    const map_menu::Item& item = items[i];
    if (i == map_menu::kFactorySubmenuIndex && !factory.empty()) AppendFactoryMaps(menu, factory);
    if (item.command == map_menu::kNone) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring text = panel_text::Wide(item.text);
    AppendMenuW(menu, MF_STRING | (item.enabled ? 0 : MF_GRAYED),
                static_cast<UINT_PTR>(item.command), text.c_str());
  }
  const UINT command = Track(menu, screen);
  DestroyMenu(menu);
  Run(static_cast<map_menu::Command>(command), screen);
}

void PanelMapCommands::AppendFactoryMaps(HMENU menu, const std::vector<FactoryMenuName>& maps) {
  std::vector<FactoryMenuName> listed = maps;
  listed.resize(
      std::min<size_t>(maps.size(), map_menu::kFactoryLast - map_menu::kFactoryFirst + 1));
  for (const LibrarySubmenu& submenu : BuildLibrarySubmenus(listed)) {
    HMENU sub = BuildChooserMenu(submenu.entries, map_menu::kFactoryFirst);
    if (!sub) return;
    AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                panel_text::Wide(submenu.text).c_str());
  }
}

void PanelMapCommands::Run(map_menu::Command command, POINT screen) {
  if (command >= map_menu::kFactoryFirst && command <= map_menu::kFactoryLast) {
    LoadFactoryMap(static_cast<size_t>(command - map_menu::kFactoryFirst), screen);
    return;
  }
  switch (command) {
    case map_menu::kLoad:
      StartDialog(DialogPurpose::kLoad);
      break;
    case map_menu::kSaveAs:
      StartDialog(DialogPurpose::kSave);
      break;
    case map_menu::kCopy:
      Copy();
      break;
    case map_menu::kPaste:
      Paste(screen);
      break;
    case map_menu::kUndoLoad:
      UndoLoad();
      break;
    default:
      break;
  }
}

bool PanelMapCommands::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(wParam);
      DroppedFiles files = FilesOfDrop(drop, window_);
      DragFinish(drop);
      if (!files.paths.empty()) FilesDropped(std::move(files));
      return true;
    }
    case kDropPending: {
      if (pendingDrops_.empty() || choosing_) return true;
      DroppedFiles files = std::move(pendingDrops_.front());
      pendingDrops_.erase(pendingDrops_.begin());
      LoadFile(files.paths.front(), files.screen);
      Tell(FilesLeftAlone(files.paths.size()));
      return true;
    }
    case kDialogEnded:
      DialogEnded();
      return true;
    default:
      return false;
  }
}

void PanelMapCommands::FilesDropped(DroppedFiles files) {
  if (!window_ || files.paths.empty()) return;
  pendingDrops_.push_back(std::move(files));
  PostMessageW(window_, kDropPending, 0, 0);
}

void PanelMapCommands::LoadFile(const std::wstring& path, POINT screen) {
  if (!service_) return;
  std::vector<MapBankOffer> banks;
  std::string message;
  if (!service_->InspectFile(path, banks, message)) {
    Tell(message);
    return;
  }
  Choose(FileNameOf(path), banks, screen);
}

void PanelMapCommands::LoadFactoryMap(size_t index, POINT screen) {
  if (!service_) return;
  const std::vector<FactoryMenuName> maps = service_->FactoryMaps();
  std::vector<MapBankOffer> banks;
  std::string message;
  if (index >= maps.size() || !service_->InspectFactoryMap(index, banks, message)) {
    Tell(message);
    return;
  }
  Choose(maps[index].name, banks, screen);
}

void PanelMapCommands::Choose(const std::string& name, const std::vector<MapBankOffer>& banks,
                              POINT screen) {
  const LoadChooser chooser = BuildLoadChooser(banks);
  if (chooser.picks.empty()) {
    Tell(name + ": no bank in it can be loaded; nothing loaded");
    return;
  }
  size_t pick = 0;
  if (!chooser.Single()) {
    HMENU menu = BuildChooserMenu(chooser.entries, kFirstPickCommand);
    if (!menu) return;
    const UINT command = Track(menu, screen);
    DestroyMenu(menu);
    if (command < kFirstPickCommand || command - kFirstPickCommand >= chooser.picks.size()) {
      Tell("Nothing loaded from " + name);
      return;
    }
    pick = command - kFirstPickCommand;
  }
  std::string message;
  service_->Load(chooser.picks[pick], message);
  Tell(message);
}

void PanelMapCommands::Paste(POINT screen) {
  if (!service_) return;
  std::string text, error;
  if (!TakeClipboardText(window_, text, error)) {
    Tell("Nothing pasted: " + error);
    return;
  }
  const std::string name = "the clipboard";
  std::vector<MapBankOffer> banks;
  std::string message;
  if (!service_->InspectText(name, text, banks, message)) {
    Tell(message);
    return;
  }
  Choose(name, banks, screen);
}

void PanelMapCommands::Copy() {
  if (!service_) return;
  std::string text, message;
  if (!service_->MapText(text, message)) {
    Tell("Nothing copied: " + message);
    return;
  }
  std::string error;
  if (!PutClipboardText(window_, text, error)) {
    Tell("Nothing copied: " + error);
    return;
  }
  Tell("Copied the map to the clipboard as text");
}

void PanelMapCommands::UndoLoad() {
  if (!service_) return;
  std::string message;
  service_->Undo(message);
  Tell(message);
}

void PanelMapCommands::StartDialog(DialogPurpose purpose) {
  if (!window_) return;
  if (dialog_.Open()) {
    Tell("A file dialog of this panel is open already");
    return;
  }
  FileDialogThread::Request request;
  if (purpose == DialogPurpose::kLoad) {
    request.kind = FileDialogThread::Kind::kOpen;
    request.title = L"Load map";
    request.filter =
        Filter(LoadDialogTypes(service_ ? service_->LoadTypes() : std::vector<MapFileType>{}));
  } else {
    request.kind = FileDialogThread::Kind::kSave;
    request.title = L"Save map as";
    const std::vector<MapFileType> types =
        service_ ? service_->SaveTypes() : std::vector<MapFileType>{};
    request.filter = Filter(SaveDialogTypes(types));
    // Added to a name typed without one; the dialog takes the chosen type's.
    if (!types.empty() && !types.front().extensions.empty())
      request.defaultExtension = panel_text::Wide(types.front().extensions.front().substr(1));
  }
  if (!dialog_.Start(GetAncestor(window_, GA_ROOT), window_, kDialogEnded, request)) {
    Tell("The file dialog cannot be opened");
    return;
  }
  purpose_ = purpose;
}

void PanelMapCommands::DialogEnded() {
  const DialogPurpose purpose = purpose_;
  purpose_ = DialogPurpose::kNone;
  const FileDialogThread::Result result = dialog_.Finish();
  if (!result.chosen) return;
  if (purpose == DialogPurpose::kLoad) {
    POINT at{0, 0};
    GetCursorPos(&at);
    LoadFile(result.path, at);
  } else if (purpose == DialogPurpose::kSave) {
    SaveTo(result.path, result.filterIndex);
  }
}

void PanelMapCommands::SaveTo(std::wstring path, DWORD filterIndex) {
  if (!service_) return;
  // A name whose extension is no type a map is saved as gets the chosen
  // type's. The dialog asked about replacing the name it returned, not that
  // one: an existing file under it is left alone.
  const std::string added =
      ExtensionToAdd(LowerExtension(panel_text::Utf8(path)), filterIndex, service_->SaveTypes());
  if (!added.empty()) {
    path += panel_text::Wide(added);
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      Tell(FileNameOf(path) + " exists already and was left alone; nothing saved");
      return;
    }
  }
  std::string message;
  service_->SaveToFile(path, message);
  Tell(message);
}
