// The panel's map commands in a real window under the window system: the
// map menu on a double-click where the panel has no region, its hint, files
// dropped through the OLE target and through WM_DROPFILES, the clipboard,
// the file dialogs on their own thread, and what every load leaves in the
// saved state.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "editor/map_menu.h"
#include "plugin/kavo_lumet_plug.h"
#include "tests/dll/plugin/map_drop_support.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"

using namespace panel_test;

namespace {

class EditorMaps : public ::testing::Test {
 protected:
  void SetUp() override {
    plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 28));
    ASSERT_NE(plug, nullptr);
    plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
    UpdateWindow(editor());
    PumpMessages();
    commands().SetMenuTracker([this](HMENU menu, POINT at) {
      menus.push_back(DescribeMenu(menu));
      menuPoints.push_back(at);
      return answers.empty() ? 0u : TakeAnswer(menu);
    });
    host.ClearRecords();
  }
  void TearDown() override {
    if (plug) plug->Destroy();
    PumpMessages();
  }

  HWND editor() const { return static_cast<HWND>(plug->editorHandle); }
  PanelMapCommands& commands() { return plug->editor().mapCommands(); }
  void DoubleClick(int x, int y) {
    SendMessageA(editor(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(editor(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    SendMessageA(editor(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(editor(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  // The command of the next menu: by its text's path ("2 ... > 17–32"), or
  // a bare command number.
  UINT TakeAnswer(HMENU menu) {
    const std::string wanted = answers.front();
    answers.erase(answers.begin());
    if (!wanted.empty() && wanted[0] == '#') return static_cast<UINT>(std::stoul(wanted.substr(1)));
    for (const MenuLine& line : DescribeMenu(menu))
      if (line.path.find(wanted) != std::string::npos && line.command != 0) return line.command;
    ADD_FAILURE() << "no menu line holds " << wanted;
    return 0;
  }

  RecordingHost host;
  KAVOLumetPlug* plug = nullptr;
  ParentWindow& parent = SharedParent();
  std::vector<std::vector<MenuLine>> menus;
  std::vector<POINT> menuPoints;
  std::vector<std::string> answers;  // what the next menus choose
};

// An answer to a menu that chooses a command by its number.
std::string CommandAnswer(int32_t command) {
  std::string answer = std::to_string(command);
  answer.insert(answer.begin(), '#');
  return answer;
}

// A plug-in made on a thread of the multi-threaded apartment: how its
// panel takes drops there.
struct MultiThreadedApartmentPanel {
  FileDropRegistration::Path path = FileDropRegistration::Path::kNone;
  LONG exStyle = 0;

  static DWORD WINAPI Run(void* argument) {
    auto* result = static_cast<MultiThreadedApartmentPanel*>(argument);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    RecordingHost otherHost;
    auto* other = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&otherHost, 5));
    result->path = other->editor().mapCommands().drops().path();
    result->exStyle = GetWindowLongA(static_cast<HWND>(other->editorHandle), GWL_EXSTYLE);
    other->Destroy();
    CoUninitialize();
    return 0;
  }
};

}  // namespace

TEST_F(EditorMaps, TheDialogClassTellsDoubleClicks) {
  // Without the class style, the system would send two presses instead.
  EXPECT_NE(GetClassLongPtrA(editor(), GCL_STYLE) & CS_DBLCLKS, 0u);
}

TEST_F(EditorMaps, ADoubleClickWhereThePanelHasNoRegionOpensTheMapMenu) {
  DataModel& model = plug->engine().model;
  model.pageIndex = 1;
  const int32_t selected = model.selectedSlot;
  DoubleClick(120, 97);
  ASSERT_EQ(menus.size(), 1u);
  // The factory maps' lines, second, then the community maps', told apart
  // by their submenus.
  std::vector<std::string> texts;
  size_t factoryLines = 0, communityLines = 0;
  for (const MenuLine& line : menus[0]) {
    std::string submenu;
    for (const char* text : {"Factory maps", "Community maps (untested)"})
      if (line.path.rfind(std::string(text) + " > ", 0) == 0) submenu = text;
    (submenu == "Factory maps" ? factoryLines : communityLines) += submenu.empty() ? 0 : 1;
    if (!submenu.empty() && (texts.empty() || texts.back() != submenu)) texts.push_back(submenu);
    if (submenu.empty()) texts.push_back(line.path + (line.greyed ? " (greyed)" : ""));
  }
  EXPECT_GT(factoryLines, 600u);
  EXPECT_GT(communityLines, 3000u);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Load map\xE2\x80\xA6", "Factory maps",
                                      "Community maps (untested)", "Save map as\xE2\x80\xA6", "-",
                                      "Copy map", "Paste map", "-", "Undo load (greyed)"}));
  POINT expected{120, 97};
  ClientToScreen(editor(), &expected);
  EXPECT_EQ(menuPoints[0].x, expected.x);
  EXPECT_EQ(menuPoints[0].y, expected.y);
  EXPECT_TRUE(host.messages.empty()) << "nothing chosen, nothing said";

  // A double-click on a region means nothing, as before: no menu, and
  // only the two clicks' own effects.
  DoubleClick(20, 20);   // slot 0
  DoubleClick(70, 200);  // a tab
  DoubleClick(60, 140);  // a knob
  EXPECT_EQ(menus.size(), 1u);
  EXPECT_EQ(model.selectedSlot, 0);
  EXPECT_EQ(model.pageIndex, 1);
  (void)selected;

  // The place of every page opens it.
  for (int32_t page = 0; page < 3; ++page) {
    model.pageIndex = page;
    DoubleClick(236, 236);
  }
  EXPECT_EQ(menus.size(), 4u);
}

// The window feeds the place hints (place_hint.h, tested natively) with its
// moves and buttons: a move into a place without a region shows the hint,
// a button released at one and the move reported there afterwards do not.
TEST_F(EditorMaps, AMoveIntoAPlaceWithoutARegionShowsTheHintAButtonDoesNot) {
  const auto Send = [this](UINT message, int x, int y) {
    SendMessageA(editor(), message, 0, MAKELPARAM(x, y));
  };
  plug->engine().model.pageIndex = 1;
  Send(WM_MOUSEMOVE, 120, 97);
  ASSERT_EQ(host.hints, std::vector<std::string>{"Double-click: load, save, copy or paste a map"});
  Send(WM_MOUSEMOVE, 20, 20);  // a slot
  Send(WM_RBUTTONDOWN, 236, 236);
  Send(WM_RBUTTONUP, 236, 236);
  Send(WM_MOUSEMOVE, 236, 236);
  Send(WM_LBUTTONDOWN, 120, 97);
  Send(WM_LBUTTONUP, 120, 97);
  Send(WM_MOUSEMOVE, 120, 97);
  EXPECT_EQ(host.hints.size(), 1u) << host.hints.back();
  Send(WM_MOUSEMOVE, 20, 20);
  Send(WM_MOUSEMOVE, 236, 236);
  EXPECT_EQ(host.hints.size(), 2u);
}

TEST_F(EditorMaps, DropsGoThroughOleOnAnApartmentThreadAndWmDropfilesElsewhere) {
  EXPECT_EQ(commands().drops().path(), FileDropRegistration::Path::kOle);
  EXPECT_NE(commands().drops().oleTarget(), nullptr);
  EXPECT_EQ(GetWindowLongA(editor(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);

  // On a thread of the multi-threaded apartment OLE drag and drop cannot
  // be had: the panel takes WM_DROPFILES instead.
  MultiThreadedApartmentPanel outcome;
  HANDLE thread = CreateThread(nullptr, 0, MultiThreadedApartmentPanel::Run, &outcome, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, 20000);
  CloseHandle(thread);
  EXPECT_EQ(outcome.path, FileDropRegistration::Path::kDropFiles);
  EXPECT_NE(outcome.exStyle & WS_EX_ACCEPTFILES, 0);
}

TEST_F(EditorMaps, AnEditorClosedOrDestroyedWithItsDialogOpenClosesTheDialog) {
  for (const bool destroy : {false, true}) {
    answers = {CommandAnswer(map_menu::kLoad)};
    DoubleClick(120, 97);
    ASSERT_TRUE(commands().dialog().Open());
    const DWORD worker = commands().dialog().WorkerThreadId();
    HWND dialog = WaitForThreadWindow(worker, 15000);
    ASSERT_NE(dialog, nullptr) << "the open dialog never showed";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), GetAncestor(editor(), GA_ROOT));
    PumpMessages(200);
    EXPECT_EQ(GetForegroundWindow(), dialog) << "the keyboard goes to the dialog";
    const DWORD start = GetTickCount();
    if (destroy) {
      plug->Destroy();
      plug = nullptr;
    } else {
      plug->Dispatch(kDispatchShowEditor, 0, 0);
      EXPECT_FALSE(commands().dialog().Open());
    }
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(parent.handle())) << "the owner has its input back";
    if (!destroy)
      plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
  }
  EXPECT_TRUE(host.messages.empty());
}
