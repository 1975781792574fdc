// The plug-in object driven directly (linked in, not loaded), for what a
// host cannot see: the shared editor resources and the copied host text.
#include <gtest/gtest.h>

#include <string>

#include "editor/editor_resources.h"
#include "plugin/kavo_lumet_plug.h"
#include "tests/support/recording_host.h"

namespace {

KAVOLumetPlug* Create(RecordingHost& host, int32_t tag = 9) {
  return static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, tag));
}

TEST(SharedResources, FirstInstanceCreatesLastReleasesNextCreatesAgain) {
  RecordingHost host;
  ASSERT_EQ(KAVOLumetPlug::LiveInstances(), 0);
  ASSERT_EQ(SharedEditorResources().labelFont, nullptr);
  const int before = EditorResourceGeneration();

  KAVOLumetPlug* first = Create(host);
  const EditorResources& shared = SharedEditorResources();
  ASSERT_NE(shared.labelFont, nullptr);
  const HFONT font = shared.labelFont;
  const HBITMAP background = shared.background;
  EXPECT_EQ(EditorResourceGeneration(), before + 1);

  KAVOLumetPlug* second = Create(host);
  EXPECT_EQ(EditorResourceGeneration(), before + 1) << "the second instance reuses them";
  EXPECT_EQ(SharedEditorResources().labelFont, font);
  EXPECT_EQ(SharedEditorResources().background, background);
  EXPECT_EQ(KAVOLumetPlug::LiveInstances(), 2);

  first->Destroy();
  EXPECT_EQ(SharedEditorResources().labelFont, font) << "still in use by the second";
  second->Destroy();
  EXPECT_EQ(KAVOLumetPlug::LiveInstances(), 0);
  EXPECT_EQ(SharedEditorResources().labelFont, nullptr);
  EXPECT_EQ(SharedEditorResources().background, nullptr);

  KAVOLumetPlug* third = Create(host);
  EXPECT_EQ(EditorResourceGeneration(), before + 2) << "a third instance creates them again";
  EXPECT_NE(SharedEditorResources().labelFont, nullptr);
  third->Destroy();
}

TEST(SharedResources, NoteNamesAreBuiltWithTheResources) {
  RecordingHost host;
  KAVOLumetPlug* plug = Create(host);
  const NoteNameTable& names = SharedEditorResources().noteNames;
  EXPECT_STREQ(names[0].data(), "C-2");
  EXPECT_STREQ(names[60].data(), "C3");
  EXPECT_STREQ(names[127].data(), "G8");
  plug->Destroy();
}

TEST(HostText, IsCopiedBoundedAndANullAnswerLeavesItEmpty) {
  RecordingHost host;
  host.nameText = nullptr;
  KAVOLumetPlug* plug = Create(host);
  EXPECT_STREQ(plug->hostNameText(), "");
  plug->Destroy();

  // 400 bytes with no terminator within them: only 259 are taken.
  std::string longText(400, 'x');
  longText[300] = 0;
  host.nameText = longText.c_str();
  plug = Create(host);
  EXPECT_EQ(std::string(plug->hostNameText()), std::string(259, 'x'));
  plug->Destroy();

  host.nameText = "Studio";
  plug = Create(host);
  EXPECT_STREQ(plug->hostNameText(), "Studio");
  plug->Destroy();
}

TEST(Construction, NewObjectShowsControllerPageWithFirstSlotSelected) {
  RecordingHost host;
  KAVOLumetPlug* plug = Create(host, 31);
  const DataModel& model = plug->engine().model;
  EXPECT_EQ(model.pageIndex, kControllerPage);
  EXPECT_EQ(model.selectedSlot, 0);
  EXPECT_EQ(model.freshInstance, 1);
  EXPECT_EQ(model.output.preservePortChannel, 0);
  EXPECT_EQ(plug->hostTag, 31);
  EXPECT_EQ(host.midi.size(), 9u);
  plug->Destroy();
}

}  // namespace
