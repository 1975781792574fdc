// Loads through the panel, in a real window: every real map of another
// program (and our examples in every format), each bank and page of it,
// dropped through the OLE target, through WM_DROPFILES and pasted as text,
// gives the slots `plughost import` writes for that bank and pick; Undo
// brings back the saved state byte for byte; bad files change nothing and
// say so once.
#include <gtest/gtest.h>

#include <windows.h>

#include <objidl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/map_menu.h"
#include "example_maps.h"
#include "maps/factory_library.h"
#include "plugin/kavo_lumet_plug.h"
#include "real_maps.h"
#include "tests/dll/plugin/imported_pages.h"
#include "tests/dll/plugin/map_drop_support.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"

using namespace panel_test;

namespace {

enum class Way { kOleDrop, kDropFiles, kPaste };
const char* Name(Way way) {
  return way == Way::kOleDrop ? "OLE drop" : way == Way::kDropFiles ? "WM_DROPFILES" : "paste";
}

// A folder of its own for the files the tests drop, removed at the end.
class DropFolder {
 public:
  DropFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"panel-map-drops-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~DropFolder() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring Write(const std::string& name, const std::string& bytes) {
    const std::wstring file = path_ + L"\\" + WideOf(name);
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (!bytes.empty())
      WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(handle);
    files_.push_back(file);
    return file;
  }
  // A file of `size` bytes that holds nothing but zeros, made without
  // writing them.
  std::wstring WriteSized(const std::string& name, LONGLONG size) {
    const std::wstring file = Write(name, "");
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER at{};
    at.QuadPart = size;
    SetFilePointerEx(handle, at, nullptr, FILE_BEGIN);
    SetEndOfFile(handle);
    CloseHandle(handle);
    return file;
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

void SetClipboardText(HWND owner, const std::string& utf8) {
  const std::wstring text = WideOf(utf8);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

// A Reaticulate file larger than any real one: banks in three groups, more
// than a menu level holds, one of 40 articulations with a hidden one.
std::string ManyBanksReabank() {
  std::string text = "// Generated for the panel's load tests.\n";
  for (int b = 0; b < 30; ++b) {
    const int articulations = b == 4 ? 41 : 2 + b % 3;
    text += "//! g=\"Library/Section " + std::to_string(b % 3) + "\" n=\"B" + std::to_string(b) +
            "\"\nBank * * Bank " + std::to_string(b + 1) + "\n";
    for (int a = 0; a < articulations; ++a) {
      text += std::string(a == 7 && b == 4 ? "//! f=hidden " : "//! ") +
              "o=note:" + std::to_string(24 + a % 80) + "/cc:32," + std::to_string(1 + a) + "\n" +
              std::to_string(1 + a) + " Art " + std::to_string(b) + "." + std::to_string(a) + "\n";
    }
    text += "\n";
  }
  return text;
}

struct MapFile {
  std::string name;
  std::string text;
};

std::vector<MapFile> PeerMapFiles() {
  std::vector<MapFile> files;
  for (const RealMap& real : kRealMaps) files.push_back({real.name, real.text});
  files.push_back({"strings.reabank", kExample_strings_reabank});
  files.push_back({"strings.expressionmap", kExample_strings_expressionmap});
  files.push_back({"strings.plist", kExample_strings_plist});
  files.push_back({"strings.doricolib", kExample_strings_doricolib});
  files.push_back({"strings.keyswitch", kExample_strings_keyswitch});
  files.push_back({"many.reabank", ManyBanksReabank()});
  return files;
}

class EditorMapLoads : public ::testing::Test {
 protected:
  void SetUp() override {
    plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 28));
    ASSERT_NE(plug, nullptr);
    plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
    PumpMessages();
    plug->editor().mapCommands().SetMenuTracker([this](HMENU menu, POINT) {
      ++menusShown;
      const std::vector<MenuLine> lines = DescribeMenu(menu);
      if (answers.empty()) return 0u;
      const std::string wanted = answers.front();
      answers.erase(answers.begin());
      // "#N|TEXT": command N, on a line whose path holds TEXT; else the
      // line that reads as given.
      const size_t bar = wanted.find('|');
      const UINT command =
          wanted[0] == '#' ? static_cast<UINT>(std::stoul(wanted.substr(1, bar - 1))) : 0;
      for (const MenuLine& line : lines) {
        if (line.command == 0) continue;
        if (command ? line.command == command &&
                          line.path.find(wanted.substr(bar + 1)) != std::string::npos
                    : line.path == wanted)
          return line.command;
      }
      ADD_FAILURE() << "no menu line for " << wanted;
      return 0u;
    });
    // A state of our own to come back to: every slot and value set.
    DataModel& model = plug->engine().model;
    for (int slot = 0; slot < 16; ++slot) {
      model.bank.name.Set(slot, "Before " + std::to_string(slot + 1));
      model.bank.keyswitch[slot] = 100 + slot % 20;
    }
    model.output.channel = 5;
    model.output.port = 3;
    model.controllers.value = {10, 20, 30, 40, 50, 60};
    before = SavedState();
  }
  void TearDown() override {
    if (plug) plug->Destroy();
    PumpMessages();
  }

  HWND editor() const { return static_cast<HWND>(plug->editorHandle); }

  std::vector<uint8_t> SavedState() {
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    plug->SaveOrLoadState(stream, 1);
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream, &memory);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
    std::vector<uint8_t> state(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    stream->Release();
    return state;
  }

  // Runs a map menu command as the composer does: a double-click on a place
  // without a region, then the command's line.
  void MenuCommand(const std::string& line) {
    answers.insert(answers.begin(), line);
    SendMessageA(editor(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(120, 97));
  }

  void Bring(Way way, const std::wstring& path, const std::string& text) {
    switch (way) {
      case Way::kOleDrop: {
        IDropTarget* target = plug->editor().mapCommands().drops().oleTarget();
        ASSERT_NE(target, nullptr);
        FileListObject data({path});
        POINT at{60, 120};
        ClientToScreen(editor(), &at);
        DWORD effect = DROPEFFECT_COPY;
        ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON, {at.x, at.y}, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
        target->DragOver(MK_LBUTTON, {at.x, at.y}, &effect);
        effect = DROPEFFECT_COPY;
        ASSERT_EQ(target->Drop(&data, 0, {at.x, at.y}, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(data.handedOut, 1);
        break;
      }
      case Way::kDropFiles:
        PostMessageW(editor(), WM_DROPFILES,
                     reinterpret_cast<WPARAM>(BuildFileList({path}, {60, 120})), 0);
        break;
      case Way::kPaste:
        SetClipboardText(editor(), text);
        MenuCommand("Paste map");
        break;
    }
    PumpMessages(30);
  }

  RecordingHost host;
  KAVOLumetPlug* plug = nullptr;
  ParentWindow& parent = SharedParent();
  std::vector<std::string> answers;
  int menusShown = 0;
  std::vector<uint8_t> before;
};

}  // namespace

TEST_F(EditorMapLoads, EveryBankAndPageOfEveryRealFileLoadsAsImportWritesItAndUndoes) {
  DropFolder folder;
  int loads = 0;
  for (const MapFile& file : PeerMapFiles()) {
    const std::wstring path = folder.Write(file.name, file.text);
    std::string error;
    const std::vector<ImportedPage> pages = ImportedPages(file.name, file.text, before, error);
    ASSERT_FALSE(pages.empty()) << file.name << ": " << error;
    for (const ImportedPage& page : pages) {
      for (const Way way : {Way::kOleDrop, Way::kDropFiles, Way::kPaste}) {
        const std::string what = file.name + " bank " + std::to_string(page.bank + 1) + " page " +
                                 std::to_string(page.page + 1) + " by " + Name(way);
        // The chooser's line of this page, when there is a chooser: its
        // command counts the pages before it; it stands under its bank.
        menusShown = 0;
        answers.clear();
        if (pages.size() > 1) {
          const bool oneBank = pages.front().bank == pages.back().bank;
          answers.push_back("#" + std::to_string(&page - pages.data() + 1) + "|" +
                            (oneBank ? "" : std::to_string(page.bank + 1) + " "));
        }
        host.ClearRecords();
        Bring(way, path, file.text);
        EXPECT_EQ(menusShown, (pages.size() > 1 ? 1 : 0) + (way == Way::kPaste ? 1 : 0)) << what;
        // Import's slots; channel, port, controllers, options and view as
        // they were.
        const std::vector<uint8_t> loaded = SavedState();
        EXPECT_EQ(loaded, page.state) << what << ": " << StateDifference(page.state, loaded);
        ASSERT_EQ(host.messages.size(), 1u) << what;
        EXPECT_EQ(host.messages[0].rfind("Loaded ", 0), 0u) << what << ": " << host.messages[0];
        ++loads;

        host.ClearRecords();
        MenuCommand("Undo load");
        EXPECT_EQ(SavedState(), before) << what << ": undo";
        EXPECT_EQ(host.messages.size(), 1u) << what;
      }
    }
  }
  EXPECT_GT(loads, 3 * 40);
}

TEST_F(EditorMapLoads, BadFilesDroppedOrPastedChangeNothingAndSaySoOnce) {
  DropFolder folder;
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919 + 13) % 256);
  const std::string real = kRealMaps[0].text;
  struct Bad {
    std::string name, text;
    bool pasted;  // text a composer could paste
  };
  const Bad bads[] = {
      {"truncated.expressionmap", real.substr(0, real.size() / 2), true},
      {"truncated.reabank",
       std::string(kExample_strings_reabank).substr(0, 200) + "\n//! o=note:", true},
      {"truncated.json", std::string(kExample_strings_json).substr(0, 300), true},
      {"wrong.plist", "<?xml version=\"1.0\"?>\n<html><body>not a map</body></html>\n", true},
      {"notes.txt", "Just some words someone copied.\n", true},
      {"empty.reabank", "", true},
      {"binary.expressionmap", binary, false},
  };
  for (const Bad& bad : bads) {
    const std::wstring path = folder.Write(bad.name, bad.text);
    for (const Way way : {Way::kOleDrop, Way::kDropFiles, Way::kPaste}) {
      if (way == Way::kPaste && !bad.pasted) continue;
      const std::string what = bad.name + " by " + Name(way);
      host.ClearRecords();
      Bring(way, path, bad.text);
      EXPECT_EQ(SavedState(), before) << what;
      ASSERT_EQ(host.messages.size(), 1u) << what;
      const std::string& message = host.messages[0];
      EXPECT_EQ(message.rfind("Not loaded", 0), 0u) << what << ": " << message;
      if (way != Way::kPaste) EXPECT_NE(message.find(bad.name), std::string::npos) << message;
      EXPECT_FALSE(plug->editor().mapCommands().dialog().Open());
    }
  }
  // A file far larger than any map is refused before it is read.
  const std::wstring huge = folder.WriteSized("huge.reabank", 64ll << 20);
  for (const Way way : {Way::kOleDrop, Way::kDropFiles}) {
    host.ClearRecords();
    Bring(way, huge, "");
    EXPECT_EQ(SavedState(), before) << Name(way);
    ASSERT_EQ(host.messages.size(), 1u) << Name(way);
    EXPECT_NE(host.messages[0].find("larger than any map"), std::string::npos) << host.messages[0];
  }
  // A clipboard without text.
  host.ClearRecords();
  ASSERT_TRUE(OpenClipboard(editor()));
  EmptyClipboard();
  CloseClipboard();
  MenuCommand("Paste map");
  EXPECT_EQ(SavedState(), before);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], "Nothing pasted: the clipboard holds no text");
  // Nothing loaded, nothing to undo.
  MenuCommand("Undo load");
  EXPECT_EQ(SavedState(), before);
}

TEST_F(EditorMapLoads, EscapeInTheChooserLoadsNothingAndSaysSo) {
  DropFolder folder;
  const std::wstring path = folder.Write("strings.reabank", kExample_strings_reabank);
  for (const Way way : {Way::kOleDrop, Way::kDropFiles}) {
    host.ClearRecords();
    menusShown = 0;
    Bring(way, path, "");
    EXPECT_EQ(menusShown, 1);
    EXPECT_EQ(SavedState(), before);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Nothing loaded from strings.reabank");
  }
}

TEST_F(EditorMapLoads, CopyPutsTheMapOnTheClipboardAsTextThatPastesBack) {
  host.ClearRecords();
  MenuCommand("Copy map");
  ASSERT_EQ(host.messages.size(), 1u);
  ASSERT_TRUE(OpenClipboard(editor()));
  HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
  HANDLE plain = GetClipboardData(CF_TEXT);
  ASSERT_NE(unicode, nullptr);
  ASSERT_NE(plain, nullptr);
  const std::string text = Utf8Of(static_cast<const wchar_t*>(GlobalLock(unicode)));
  GlobalUnlock(unicode);
  const std::string ansi = static_cast<const char*>(GlobalLock(plain));
  GlobalUnlock(plain);
  CloseClipboard();
  EXPECT_EQ(text.rfind("{", 0), 0u);
  EXPECT_NE(text.find("\"Before 16\""), std::string::npos);
  EXPECT_EQ(ansi, text) << "plain ASCII either way";

  // Change everything, paste it back: the state saved before.
  DataModel& model = plug->engine().model;
  for (int slot = 0; slot < 16; ++slot) model.bank.name.Set(slot, "Changed");
  model.output.channel = 9;
  host.ClearRecords();
  MenuCommand("Paste map");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(SavedState(), before) << host.messages[0];
}

namespace {

// Types a name into an open file dialog of the panel and confirms it, as
// the composer would; false when no dialog showed.
bool AnswerFileDialog(PanelMapCommands& commands, const std::wstring& path) {
  HWND dialog = WaitForThreadWindow(commands.dialog().WorkerThreadId(), 15000);
  if (!dialog) return false;
  // The file name box: cmb13 in the explorer-style template, edt1 in older ones.
  for (const int box : {0x47c, 0x480}) SetDlgItemTextW(dialog, box, path.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  const DWORD start = GetTickCount();
  while (commands.dialog().Open() && GetTickCount() - start < 15000) PumpMessages(20);
  return !commands.dialog().Open();
}

std::string FileText(const std::wstring& path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

}  // namespace

TEST_F(EditorMapLoads, SaveAsAndLoadThroughTheFileDialogs) {
  DropFolder folder;
  PanelMapCommands& commands = plug->editor().mapCommands();
  const std::wstring reabank = folder.Write("saved.reabank", "");
  DeleteFileW(reabank.c_str());
  const std::wstring json = folder.Write("saved.json", "");
  DeleteFileW(json.c_str());

  // Our JSON map, and another program's format by its extension.
  for (const std::wstring& path : {json, reabank}) {
    host.ClearRecords();
    MenuCommand("Save map as\xE2\x80\xA6");
    ASSERT_TRUE(AnswerFileDialog(commands, path));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("Saved ", 0), 0u) << host.messages[0];
  }
  const std::string text = FileText(json);
  EXPECT_NE(text.find("\"Before 16\""), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(FileText(reabank).find("Bank "), std::string::npos);
  EXPECT_EQ(GetFileAttributesW((reabank + L".saving").c_str()), INVALID_FILE_ATTRIBUTES);

  // Saving over an existing file asks first; "No" leaves it as it was.
  plug->engine().model.bank.name.Set(0, "Not to be saved");
  host.ClearRecords();
  MenuCommand("Save map as\xE2\x80\xA6");
  HWND dialog = WaitForThreadWindow(commands.dialog().WorkerThreadId(), 15000);
  ASSERT_NE(dialog, nullptr);
  for (const int box : {0x47c, 0x480}) SetDlgItemTextW(dialog, box, json.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  HWND prompt = nullptr;
  for (const DWORD start = GetTickCount(); !prompt && GetTickCount() - start < 15000;) {
    PumpMessages(20);
    HWND candidate = WaitForThreadWindow(commands.dialog().WorkerThreadId(), 100);
    if (candidate && candidate != dialog) prompt = candidate;
    HWND owned = GetWindow(dialog, GW_ENABLEDPOPUP);
    if (owned && owned != dialog) prompt = owned;
  }
  ASSERT_NE(prompt, nullptr) << "no question before replacing the file";
  PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
  PumpMessages(200);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  for (const DWORD start = GetTickCount();
       commands.dialog().Open() && GetTickCount() - start < 15000;)
    PumpMessages(20);
  EXPECT_FALSE(commands.dialog().Open());
  EXPECT_EQ(FileText(json), text);
  EXPECT_TRUE(host.messages.empty());

  // Loaded back through the open dialog: the state saved.
  DataModel& model = plug->engine().model;
  for (int slot = 0; slot < 16; ++slot) model.bank.name.Set(slot, "Changed");
  host.ClearRecords();
  MenuCommand("Load map\xE2\x80\xA6");
  ASSERT_TRUE(AnswerFileDialog(commands, json));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(SavedState(), before) << host.messages[0];
  DeleteFileW(json.c_str());
  DeleteFileW(reabank.c_str());
}

TEST_F(EditorMapLoads, ADropWhileTheChooserIsOpenWaitsForTheChoiceInHand) {
  DropFolder folder;
  const std::wstring banks = folder.Write("strings.reabank", kExample_strings_reabank);
  const RealMap& real = kRealMaps[0];
  const std::wstring single = folder.Write(real.name, real.text);
  std::string error;
  const std::vector<ImportedPage> pages = ImportedPages(real.name, real.text, before, error);
  ASSERT_EQ(pages.size(), 1u) << error;
  int menus = 0;
  plug->editor().mapCommands().SetMenuTracker([&](HMENU menu, POINT) -> UINT {
    ++menus;
    // The second file arrives while the composer still chooses.
    PostMessageW(editor(), WM_DROPFILES, reinterpret_cast<WPARAM>(BuildFileList({single}, {5, 5})),
                 0);
    PumpMessages(30);
    EXPECT_EQ(host.messages.size(), 0u) << "nothing loaded before the choice";
    return DescribeMenu(menu).front().command;
  });
  host.ClearRecords();
  Bring(Way::kDropFiles, banks, "");
  PumpMessages(30);
  EXPECT_EQ(menus, 1);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].rfind("Loaded \"Violins\"", 0), 0u) << host.messages[0];
  EXPECT_EQ(host.messages[1].rfind("Loaded ", 0), 0u) << host.messages[1];
  EXPECT_EQ(SavedState(), pages[0].state) << StateDifference(pages[0].state, SavedState());
}

namespace {

// Every level of a menu within the chooser's limit; the commands under it
// gathered.
void CheckLevels(HMENU menu, std::vector<UINT>& commands) {
  const int count = GetMenuItemCount(menu);
  EXPECT_LE(count, static_cast<int>(kChooserLevelLimit));
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      CheckLevels(sub, commands);
    } else {
      commands.push_back(GetMenuItemID(menu, i));
    }
  }
}

}  // namespace

TEST_F(EditorMapLoads, TheFactoryMapsSubmenusHoldEveryMapOnceInLevelsOfAMenusLength) {
  std::vector<UINT> commands;
  size_t factoryMaps = 0;
  while (factoryMaps < FactoryMapCount() && !FactoryMapAt(factoryMaps).community) ++factoryMaps;
  ASSERT_LT(factoryMaps, FactoryMapCount()) << "community maps after the factory maps";
  plug->editor().mapCommands().SetMenuTracker([&](HMENU menu, POINT) -> UINT {
    ++menusShown;
    const std::vector<MenuLine> lines = DescribeMenu(menu);
    EXPECT_EQ(lines.at(map_menu::kFactorySubmenuIndex).path.rfind("Factory maps > ", 0), 0u);
    EXPECT_EQ(lines.at(map_menu::kFactorySubmenuIndex + factoryMaps)
                  .path.rfind("Community maps (untested) > ", 0),
              0u);
    EXPECT_EQ(lines.front().path, "Load map\xE2\x80\xA6");
    for (size_t submenu : {map_menu::kFactorySubmenuIndex, map_menu::kFactorySubmenuIndex + 1})
      CheckLevels(GetSubMenu(menu, static_cast<int>(submenu)), commands);
    return 0;
  });
  SendMessageA(editor(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(120, 97));
  EXPECT_EQ(menusShown, 1);
  ASSERT_EQ(commands.size(), FactoryMapCount());
  for (size_t i = 0; i < commands.size(); ++i)
    EXPECT_EQ(commands[i], map_menu::kFactoryFirst + i) << i;
}

TEST_F(EditorMapLoads, AFactoryMapFromTheMenuLoadsItsSlotsAsPlughostReadsItAndUndoes) {
  const size_t count = FactoryMapCount();
  ASSERT_GT(count, 600u);
  // The first and last, the first with an en dash, and the last of the
  // first product of more maps than a menu level holds (in a later run).
  size_t dashed = count, paged = count;
  for (size_t first = 0, i = 0; i < count; ++i) {
    const FactoryMapInfo info = FactoryMapAt(i);
    if (dashed == count && std::string(info.title).find("\xE2\x80\x93") != std::string::npos)
      dashed = i;
    const bool productEnds = i + 1 == count ||
                             std::string(FactoryMapAt(i + 1).product) != info.product ||
                             std::string(FactoryMapAt(i + 1).maker) != info.maker;
    if (!productEnds) continue;
    if (paged == count && i + 1 - first > kChooserLevelLimit) paged = i;
    first = i + 1;
  }
  ASSERT_LT(dashed, count);
  ASSERT_LT(paged, count);
  for (const size_t index : {size_t{0}, count - 1, dashed, paged}) {
    const FactoryMapInfo info = FactoryMapAt(index);
    const std::string what = info.name;
    std::string error;
    const std::vector<uint8_t> wanted = FactoryMapState(index, before, error);
    ASSERT_FALSE(wanted.empty()) << what << ": " << error;
    host.ClearRecords();
    menusShown = 0;
    // The map's line, under its maker as read back from the wide menu.
    const std::string line = "> " + MenuText(info.maker) + " > ";
    MenuCommand("#" + std::to_string(map_menu::kFactoryFirst + index) + "|" + line);
    EXPECT_EQ(menusShown, 1) << what;
    PumpMessages(30);
    const std::vector<uint8_t> loaded = SavedState();
    EXPECT_EQ(loaded, wanted) << what << ": " << StateDifference(wanted, loaded);
    ASSERT_EQ(host.messages.size(), 1u) << what;
    EXPECT_EQ(host.messages[0].rfind("Loaded \"", 0), 0u) << host.messages[0];
    EXPECT_NE(
        host.messages[0].find(std::string("\" from ") +
                              (info.community ? "community maps (untested)" : "factory maps") +
                              ", converted from " + info.source + ": "),
        std::string::npos)
        << host.messages[0];

    host.ClearRecords();
    MenuCommand("Undo load");
    EXPECT_EQ(SavedState(), before) << what << ": undo";
    EXPECT_EQ(host.messages.size(), 1u) << what;
  }
}
