// Repaint requests in a real window: one request to the window system per
// paint, grid and whole-panel requests coalesced, a note made while a paint
// is under way still painted, and requests that recover when someone else
// validates the window.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "editor/editor_resources.h"
#include "editor/panel_snapshot.h"
#include "plugin/kavo_lumet_plug.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/counting_host.h"

using namespace panel_test;

namespace {

class CoalescedRepaint : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1000, 900);  // no hover
    plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 9));
    ASSERT_NE(plug, nullptr);
    if (!SharedEditorResources().background) GTEST_SKIP() << "no skin: the editor does not paint";
    host.colourCycle = 16;  // every note a colour of the bank, each unlike the last
    plug->engine().model.pageIndex = kControllerPage;
    plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
    Settle();
    GetClientRect(editor(), &client);
  }
  void TearDown() override {
    if (plug) plug->Destroy();
  }

  HWND editor() const { return static_cast<HWND>(plug->editorHandle); }
  uint32_t Passed() const { return plug->editor().RequestsPassedOn(); }

  // A note of the host's next colour (each differs from the last).
  void Note() {
    params.Set(0, 0.8f);
    plug->KillVoice(plug->TriggerVoice(params.bytes, 1));
  }
  // Handles messages until nothing is left to paint.
  void Settle() {
    for (int i = 0; i < 400 && GetUpdateRect(editor(), nullptr, FALSE); ++i) PumpMessages(5);
    PumpMessages();
  }
  RECT Marked() const {
    RECT update{};
    GetUpdateRect(editor(), &update, FALSE);
    return update;
  }
  bool GridShowsTheModel() const {
    Pixels model(kSnapshotPixels);
    RenderPanelSnapshot(plug->editor(), model.data());
    const Image shown = WindowImage(editor(), 240, 240);
    for (int y = 5; y < 94; ++y)
      for (int x = 5; x < 233; ++x)
        if (shown.at(x, y) != model[y * 240 + x]) return false;
    return true;
  }

  CountingHost host;
  Params params;
  KAVOLumetPlug* plug = nullptr;
  ParentWindow& parent = SharedParent();
  RECT client{};
};

const RECT kGrid{5, 5, 233, 94};

TEST_F(CoalescedRepaint, OneRequestPerPaintAndAWholePanelRequestCoversTheGrid) {
  const uint32_t start = Passed();
  for (int i = 0; i < 50; ++i) Note();
  EXPECT_EQ(Passed(), start + 1);
  RECT marked = Marked();
  EXPECT_TRUE(EqualRect(&marked, &kGrid));

  plug->ProcessParam(0, 64, kParamUpdateControl);  // grid pending: the whole panel still asks
  EXPECT_EQ(Passed(), start + 2);
  marked = Marked();
  EXPECT_TRUE(EqualRect(&marked, &client));

  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  plug->SaveOrLoadState(stream, 1);
  stream->Seek({}, STREAM_SEEK_SET, nullptr);
  for (int i = 0; i < 50; ++i) Note();
  plug->ProcessParam(0, 10, kParamUpdateControl);
  plug->SaveOrLoadState(stream, 0);  // a state load asks for the whole panel
  stream->Release();
  EXPECT_EQ(Passed(), start + 2) << "all covered by the pending whole panel";

  Settle();
  EXPECT_TRUE(GridShowsTheModel());
  Note();
  EXPECT_EQ(Passed(), start + 3);
  marked = Marked();
  EXPECT_TRUE(EqualRect(&marked, &kGrid)) << "after a paint a note marks exactly the grid";

  plug->Dispatch(kDispatchShowEditor, 0, 0);
  Note();
  plug->ProcessParam(0, 20, kParamUpdateControl);
  EXPECT_EQ(Passed(), start + 3) << "nothing asked while hidden";
  plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
  Settle();
  EXPECT_TRUE(GridShowsTheModel()) << "showing paints what changed while hidden";
  Note();
  EXPECT_EQ(Passed(), start + 4);
}

// The audio thread plays a note each time a paint has composed the panel
// (and so read the model) but not yet finished: that note must bring a
// paint of its own, and must not leave a request pending for good.
TEST_F(CoalescedRepaint, ANoteDuringAPaintIsPainted) {
  struct Handshake {
    std::atomic<bool> armed{false};
    std::atomic<int> asked{0}, played{0};
  } handshake;
  plug->editor().SetComposedHook(
      [](void* context) {
        auto& h = *static_cast<Handshake*>(context);
        if (!h.armed.exchange(false)) return;  // once per round
        const int round = h.asked.fetch_add(1) + 1;
        const DWORD until = GetTickCount() + 5000;
        while (h.played.load() < round && GetTickCount() < until) std::this_thread::yield();
      },
      &handshake);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    int played = 0;
    while (!stop.load()) {
      if (handshake.asked.load() == played) {
        std::this_thread::yield();
        continue;
      }
      Note();
      handshake.played.store(++played);
    }
  });
  for (int round = 0; round < 5; ++round) {
    Note();  // pending, and painted next
    const uint32_t passed = Passed();
    handshake.armed.store(true);
    UpdateWindow(editor());  // the audio thread's note comes during this paint
    EXPECT_EQ(Passed(), passed + 1) << "round " << round << ": asked again during the paint";
    Settle();
    EXPECT_TRUE(GridShowsTheModel()) << "round " << round;
  }
  stop.store(true);
  audio.join();
  plug->editor().SetComposedHook(nullptr, nullptr);
  EXPECT_EQ(handshake.played.load(), 5);
}

TEST_F(CoalescedRepaint, RequestsRecoverWhenTheWindowIsValidatedWithoutOurPaint) {
  auto validators = {
      +[](HWND window) { ValidateRect(window, nullptr); },
      +[](HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE); },
  };
  for (auto validate : validators) {
    Note();
    validate(editor());
    const uint32_t passed = Passed();
    Note();
    EXPECT_EQ(Passed(), passed) << "still pending as far as the plug-in knows";
    EXPECT_FALSE(GridShowsTheModel()) << "nothing painted it yet";
    for (int i = 0; i < 100 && !GridShowsTheModel(); ++i) PumpMessages(10);
    EXPECT_TRUE(GridShowsTheModel()) << "painted within a second";
    Settle();
    Note();
    EXPECT_EQ(Passed(), passed + 1);
    Settle();
  }
  // Painted without a skin: the paint leaves the panel undrawn but serves
  // the request, so the next one asks again at once.
  ReleaseEditorResources();
  const uint32_t passed = Passed();
  Note();
  UpdateWindow(editor());
  Note();
  CreateEditorResources(GetModuleHandleA(nullptr));
  EXPECT_EQ(Passed(), passed + 2);
}

}  // namespace
