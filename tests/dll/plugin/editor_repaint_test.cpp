// Repaint requests in a real window: a request from the engine only records
// itself; the window's display-rate tick invalidates what was recorded (the
// grid for a note, the whole panel for a load or a controller), once per
// tick however many came; a note made while a paint is under way is still
// painted; a paint that covers less than was recorded asks for the rest;
// and requests recover when someone else validates the window.
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

class RecordedRepaint : public ::testing::Test {
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
  // One display-rate tick of the editor, and no other message.
  void Tick() { ASSERT_TRUE(HandleNextTimerMessage(editor())) << "the shown editor has no timer"; }
  // Handles messages until nothing is left to paint.
  void Settle() {
    for (int i = 0; i < 400 && GetUpdateRect(editor(), nullptr, FALSE); ++i) PumpMessages(5);
    PumpMessages();
  }
  bool Marked(const RECT& expected) const {
    RECT update{};
    return GetUpdateRect(editor(), &update, FALSE) && EqualRect(&update, &expected);
  }
  bool NothingMarked() const { return !GetUpdateRect(editor(), nullptr, FALSE); }
  // The window shows the model as a paint composes it now, within the rows
  // top..bottom (the grid's rows, or the whole panel).
  bool ShowsTheModel(int top = 5, int bottom = 94) const {
    Pixels model(kSnapshotPixels);
    RenderPanelSnapshot(plug->editor(), model.data());
    const Image shown = WindowImage(editor(), 240, client.bottom);
    for (int y = top; y < bottom && y < client.bottom; ++y)
      for (int x = 0; x < 240; ++x)
        if (shown.at(x, y) != model[y * 240 + x]) return false;
    return true;
  }
  bool WholePanelShowsTheModel() const { return ShowsTheModel(0, 240); }

  CountingHost host;
  Params params;
  KAVOLumetPlug* plug = nullptr;
  ParentWindow& parent = SharedParent();
  RECT client{};
};

const RECT kGrid{5, 5, 233, 94};

TEST_F(RecordedRepaint, RequestsWaitForTheTickWhichMarksTheirRegionOnce) {
  const uint32_t start = Passed();
  for (int i = 0; i < 50; ++i) Note();
  EXPECT_TRUE(NothingMarked()) << "a note asks nothing of the window system";
  EXPECT_EQ(Passed(), start);
  Tick();
  EXPECT_EQ(Passed(), start + 1) << "fifty notes, one invalidation";
  EXPECT_TRUE(Marked(kGrid)) << "a note marks exactly the grid";

  plug->ProcessParam(0, 64, kParamUpdateControl);
  EXPECT_TRUE(Marked(kGrid)) << "the controller waits for the tick too";
  Tick();
  EXPECT_EQ(Passed(), start + 2);
  EXPECT_TRUE(Marked(client)) << "a controller on its page marks the whole panel";

  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  plug->SaveOrLoadState(stream, 1);
  stream->Seek({}, STREAM_SEEK_SET, nullptr);
  Settle();
  plug->SaveOrLoadState(stream, 0);  // a state load asks for the whole panel
  stream->Release();
  for (int i = 0; i < 50; ++i) Note();
  Tick();
  EXPECT_EQ(Passed(), start + 3);
  EXPECT_TRUE(Marked(client)) << "the grid is part of the whole panel";
  Settle();
  EXPECT_TRUE(WholePanelShowsTheModel());

  Tick();
  EXPECT_EQ(Passed(), start + 3) << "a paint took every request: nothing left to ask";
  EXPECT_TRUE(NothingMarked());
  Note();
  Tick();
  EXPECT_EQ(Passed(), start + 4);
  EXPECT_TRUE(Marked(kGrid)) << "after a whole-panel paint a note marks only the grid again";
  Settle();

  plug->Dispatch(kDispatchShowEditor, 0, 0);
  Note();
  plug->ProcessParam(0, 20, kParamUpdateControl);
  PumpMessages(100);
  EXPECT_EQ(Passed(), start + 4) << "no tick while hidden";
  EXPECT_FALSE(HandleNextTimerMessage(editor()));
  plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
  Settle();
  EXPECT_TRUE(WholePanelShowsTheModel()) << "showing paints what changed while hidden";
  Tick();
  EXPECT_EQ(Passed(), start + 4) << "and takes what was recorded meanwhile";
}

// The audio thread plays a note each time a paint has read the model but
// not yet finished: that note must be painted by the next tick's paint.
TEST_F(RecordedRepaint, ANoteDuringAPaintIsPaintedAfterTheNextTick) {
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
    Note();
    Tick();
    const uint32_t passed = Passed();
    handshake.armed.store(true);
    UpdateWindow(editor());  // the audio thread's note comes during this paint
    EXPECT_TRUE(NothingMarked()) << "round " << round << ": the paint validated the window";
    EXPECT_FALSE(ShowsTheModel()) << "round " << round << ": the note came after the composition";
    Tick();
    EXPECT_EQ(Passed(), passed + 1) << "round " << round;
    EXPECT_TRUE(Marked(kGrid)) << "round " << round;
    UpdateWindow(editor());
    EXPECT_TRUE(ShowsTheModel()) << "round " << round;
  }
  stop.store(true);
  audio.join();
  plug->editor().SetComposedHook(nullptr, nullptr);
  EXPECT_EQ(handshake.played.load(), 5);
}

// A hover paints the grid at once; a whole-panel request recorded before it
// is taken by that paint, which must then ask for the rest itself.
TEST_F(RecordedRepaint, APaintCoveringLessThanWasRecordedAsksForTheRest) {
  plug->ProcessParam(0, 100, kParamUpdateControl | kParamUpdateValue);
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(28 * 2 + 15, 20));
  EXPECT_TRUE(Marked(client));
  const uint32_t passed = Passed();
  Settle();
  EXPECT_TRUE(WholePanelShowsTheModel()) << "the slider moved";
  EXPECT_EQ(Passed(), passed) << "no tick was needed";

  Note();
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(28 * 3 + 15, 20));
  EXPECT_TRUE(NothingMarked()) << "the hover's grid paint covered the note";
  EXPECT_TRUE(WholePanelShowsTheModel());

  // Someone else marks two strips whose bounds span the grid; their paint
  // comes before the tick and takes the note, but shows only the strips.
  Note();
  const RECT above{0, 0, 240, 8}, below{0, 90, 240, 100};
  InvalidateRect(editor(), &above, FALSE);
  InvalidateRect(editor(), &below, FALSE);
  UpdateWindow(editor());
  EXPECT_FALSE(ShowsTheModel()) << "the grid's middle still shows the note before";
  EXPECT_TRUE(Marked(kGrid)) << "the paint asked for the grid itself";
  UpdateWindow(editor());
  EXPECT_TRUE(ShowsTheModel());
}

TEST_F(RecordedRepaint, RequestsRecoverWhenTheWindowIsValidatedWithoutOurPaint) {
  auto validators = {
      +[](HWND window) { ValidateRect(window, nullptr); },
      +[](HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE); },
  };
  for (auto validate : validators) {
    Note();
    Tick();
    validate(editor());
    EXPECT_TRUE(NothingMarked());
    EXPECT_FALSE(ShowsTheModel()) << "nothing painted it yet";
    const uint32_t passed = Passed();
    Tick();
    EXPECT_EQ(Passed(), passed + 1) << "asked again at the next tick";
    EXPECT_TRUE(Marked(kGrid));
    Settle();
    EXPECT_TRUE(ShowsTheModel());
  }
  // Painted without a skin: the paint leaves the panel undrawn but takes
  // the request, so the next tick has nothing to ask.
  ReleaseEditorResources();
  Note();
  Tick();
  UpdateWindow(editor());
  const uint32_t passed = Passed();
  Tick();
  CreateEditorResources(GetModuleHandleA(nullptr));
  EXPECT_EQ(Passed(), passed);
  // The skin is new: the next paint composes the panel anew from it.
  InvalidateRect(editor(), nullptr, FALSE);
  Settle();
  EXPECT_TRUE(WholePanelShowsTheModel());
}

}  // namespace
