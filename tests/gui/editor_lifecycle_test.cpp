// The editor's life as a host drives it through the loaded DLL: shown in
// and hidden from host windows over and over, and instances created and
// destroyed in random order, each with its panel on screen. Afterwards the
// process must hold exactly the graphics objects and windows it held before.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"
#include "tools/plughost/plugin_library.h"

using namespace panel_test;

namespace {

constexpr char kDll[] = "QuindleVelmora.dll";
constexpr int kInstances = 8;

// Host windows made once: hiding a top-level window makes wine wait two
// seconds for a window manager, which Xvfb does not have.
std::vector<ParentWindow*>& HostWindows() {
  static std::vector<ParentWindow*> windows = [] {
    std::vector<ParentWindow*> made;
    for (int i = 0; i < kInstances; ++i)
      made.push_back(new ParentWindow(10 + 250 * (i % 4), 10 + 260 * (i / 4)));
    return made;
  }();
  return windows;
}

struct Counts {
  int gdiLeft = 0;
  int windows = 0;
  bool operator==(const Counts& o) const { return gdiLeft == o.gdiLeft && windows == o.windows; }
};

Counts Measure() {
  PumpMessages(30);
  return {GdiObjectsLeft(), ProcessWindowCount()};
}

// The server-wide USER table moves with other wine programs too: a leak
// shows in every reading, another program's window only in some.
bool UserObjectsBackTo(int before, int* last) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    *last = UserObjectsLeft();
    if (*last == before) return true;
    PumpMessages(200);
  }
  return false;
}

class EditorLifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.loaded()) << "cannot load " << kDll;
    ASSERT_TRUE(library.hasFactory());
    for (ParentWindow* window : HostWindows()) ASSERT_NE(window->handle(), nullptr);
    // Eight instances through a whole life first, so whatever the system
    // keeps once it has been needed exists before the counts are taken:
    // wine keeps 18 GDI objects after eight dialogs of our template have
    // lived at once, even with a dialog procedure that does nothing.
    std::vector<RawPlugin> warmUp;
    for (int i = 0; i < kInstances; ++i) {
      warmUp.emplace_back(library.Create(&host, 90 + i));
      warmUp.back().Dispatch(0, 0, reinterpret_cast<intptr_t>(HostWindows()[i]->handle()));
      UpdateWindow(HostWindows()[i]->handle());
    }
    PumpMessages(50);
    for (RawPlugin& plug : warmUp) {
      plug.Dispatch(0, 0, 0);
      plug.Destroy();
    }
    PumpMessages(50);
  }

  RawPlugin Create(int32_t tag) {
    void* object = library.Create(&host, tag);
    EXPECT_NE(object, nullptr);
    return RawPlugin(object);
  }

  PluginLibrary library{kDll};
  RecordingHost host;
};

TEST_F(EditorLifecycle, AHundredShowHideCyclesLeaveTheCountsWhereTheyWere) {
  const Counts before = Measure();
  const int userBefore = UserObjectsLeft();
  RawPlugin plug = Create(1);
  const HWND editor = plug.editorWindow();
  ASSERT_NE(editor, nullptr);
  for (int cycle = 0; cycle < 100; ++cycle) {
    HWND parent = HostWindows()[cycle % kInstances]->handle();
    plug.Dispatch(0, 0, reinterpret_cast<intptr_t>(parent));
    UpdateWindow(parent);
    PumpMessages();
    ASSERT_TRUE(IsWindowVisible(editor)) << "cycle " << cycle;
    ASSERT_EQ(GetAncestor(editor, GA_PARENT), parent);
    plug.Dispatch(0, 0, 0);
    ASSERT_FALSE(IsWindowVisible(editor)) << "cycle " << cycle;
    ASSERT_EQ(plug.editorWindow(), editor) << "the same window for the object's whole life";
  }
  plug.Destroy();
  const Counts after = Measure();
  EXPECT_EQ(after.gdiLeft, before.gdiLeft) << "GDI objects";
  EXPECT_EQ(after.windows, before.windows) << "windows of this process";
  int userAfter = 0;
  EXPECT_TRUE(UserObjectsBackTo(userBefore, &userAfter))
      << "USER objects: " << userBefore << " free before, " << userAfter << " after";
}

TEST_F(EditorLifecycle, EightInstancesInRandomOrderLeaveTheCountsWhereTheyWere) {
  const Counts before = Measure();
  const int userBefore = UserObjectsLeft();
  std::mt19937 random(20240611);
  for (int round = 0; round < 6; ++round) {
    std::vector<std::pair<RawPlugin, int>> live;  // instance and its host window
    std::vector<int> freeWindows{0, 1, 2, 3, 4, 5, 6, 7};
    int created = 0;
    while (created < kInstances || !live.empty()) {
      const bool create = created < kInstances && (live.empty() || random() % 2 == 0);
      if (create) {
        std::shuffle(freeWindows.begin(), freeWindows.end(), random);
        const int window = freeWindows.back();
        freeWindows.pop_back();
        RawPlugin plug = Create(100 + created++);
        ASSERT_NE(plug.editorWindow(), nullptr);
        plug.Dispatch(0, 0, reinterpret_cast<intptr_t>(HostWindows()[window]->handle()));
        UpdateWindow(HostWindows()[window]->handle());
        ASSERT_TRUE(IsWindowVisible(plug.editorWindow()));
        live.emplace_back(plug, window);
      } else {
        const size_t victim = random() % live.size();
        live[victim].first.Destroy();
        freeWindows.push_back(live[victim].second);
        live.erase(live.begin() + static_cast<std::ptrdiff_t>(victim));
      }
      PumpMessages();
    }
    const Counts after = Measure();
    EXPECT_EQ(after.gdiLeft, before.gdiLeft) << "GDI objects after round " << round;
    EXPECT_EQ(after.windows, before.windows) << "windows after round " << round;
  }
  int userAfter = 0;
  EXPECT_TRUE(UserObjectsBackTo(userBefore, &userAfter))
      << "USER objects: " << userBefore << " free before, " << userAfter << " after";
}

TEST_F(EditorLifecycle, TheCountsSeeOneObjectAndOneWindow) {
  const Counts before = Measure();
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  HWND window =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  const Counts during = Measure();
  EXPECT_EQ(during.gdiLeft, before.gdiLeft - 1);
  EXPECT_EQ(during.windows, before.windows + 1);
  DeleteObject(brush);
  DestroyWindow(window);
  EXPECT_EQ(Measure(), before);
}

}  // namespace
