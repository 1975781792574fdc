// Loads the built DLL by name, finds the factory by name and drives the
// object through raw table slots, as a host does.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "raw_host.h"
#include "tools/plughost/plugin_library.h"

namespace {

constexpr char kDll[] = "QuindleVelmora.dll";

// The nine messages every full controller broadcast sends, on channel 0 and
// port 0: CC 10 = 0, CC 7 = 0, pitch-bend centre, CC 1, 2, 11, 16, 21 = 127,
// CC 64 = 0.
constexpr uint32_t Msg(uint32_t status, uint32_t data1, uint32_t data2, uint32_t port = 0) {
  return status | data1 << 8 | data2 << 16 | port << 24;
}
const std::vector<uint32_t> kFullBroadcast = {
    Msg(0xB0, 10, 0),   Msg(0xB0, 7, 0),    Msg(0xE0, 0, 64),
    Msg(0xB0, 1, 127),  Msg(0xB0, 2, 127),  Msg(0xB0, 11, 127),
    Msg(0xB0, 16, 127), Msg(0xB0, 21, 127), Msg(0xB0, 64, 0),
};

class DllTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library.loaded()) << "cannot load " << kDll; }
  RawPlugin Create(int32_t tag = 77) {
    void* object = library.Create(reinterpret_cast<PluginHost*>(&host), tag);
    EXPECT_NE(object, nullptr);
    return RawPlugin(object);
  }
  void TearDown() override { EXPECT_TRUE(host.unexpectedEntries.empty()); }

  PluginLibrary library{kDll};
  RawHost host;
};

TEST_F(DllTest, ExportsTheFactoryByItsPlainName) {
  EXPECT_TRUE(library.hasFactory());
  EXPECT_EQ(GetProcAddress(library.module(), "_CreatePlugInstance@8"), nullptr);
}

TEST_F(DllTest, DescriptorIsTheStaticRecordTheHostReads) {
  RawPlugin a = Create(1);
  RawPlugin b = Create(2);
  const int32_t* words = a.descriptorWords();
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(words, b.descriptorWords()) << "one static descriptor for every instance";
  EXPECT_EQ(words[0], 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(words[1]), "Quindle Velmora");
  EXPECT_EQ(words[2], words[1]);
  EXPECT_EQ(words[3], 0x204450);
  EXPECT_EQ(words[4], 127);
  for (int i = 5; i < 38; ++i) EXPECT_EQ(words[i], 0) << "word " << i;
  a.Destroy();
  b.Destroy();
}

TEST_F(DllTest, DataMembersSitAfterTheTablePointer) {
  RawPlugin plugin = Create(0x1234);
  EXPECT_EQ(plugin.hostTagWord(), 0x1234);
  HWND editor = plugin.editorWindow();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(IsWindow(editor));
  EXPECT_FALSE(IsWindowVisible(editor)) << "created hidden";
  EXPECT_EQ(GetAncestor(editor, GA_PARENT), GetDesktopWindow()) << "no parent";
  plugin.Destroy();
  EXPECT_FALSE(IsWindow(editor)) << "Destroy destroys the editor window";
}

TEST_F(DllTest, ConstructionAsksForTheNameAndSendsTheFullBroadcast) {
  RawPlugin plugin = Create(55);
  ASSERT_FALSE(host.requests.empty());
  EXPECT_EQ(host.requests.front(), 29);
  EXPECT_EQ(host.midi, kFullBroadcast);
  for (int32_t sender : host.senders) EXPECT_EQ(sender, 55) << "every call names the tag";
  plugin.Destroy();
}

TEST_F(DllTest, PlaybackStartSendsTheBroadcastEachTime) {
  RawPlugin plugin = Create();
  host.midi.clear();
  EXPECT_EQ(plugin.Dispatch(12, 0, 1), 0);
  EXPECT_EQ(host.midi, kFullBroadcast);
  host.midi.clear();
  plugin.Dispatch(12, 0, 1);
  EXPECT_EQ(host.midi, kFullBroadcast);
  host.midi.clear();
  plugin.Dispatch(12, 0, 0);
  EXPECT_TRUE(host.midi.empty()) << "playback stop sends nothing";
  EXPECT_TRUE(host.endedVoices.empty()) << "no voices to end";
  plugin.Destroy();
}

TEST_F(DllTest, OtherDispatchRequestsDoNothing) {
  RawPlugin plugin = Create();
  host.midi.clear();
  for (int32_t request : {1, 2, 3, 5, 11, 13, 18, 22, 29, 100, -1}) {
    EXPECT_EQ(plugin.Dispatch(request, 3, 1), 0) << "request " << request;
  }
  EXPECT_TRUE(host.midi.empty());
  EXPECT_FALSE(IsWindowVisible(plugin.editorWindow()));
  plugin.Destroy();
}

TEST_F(DllTest, EditorIsShownInTheHostWindowAndHiddenAgain) {
  RawPlugin plugin = Create();
  HWND editor = plugin.editorWindow();
  EXPECT_EQ(plugin.Dispatch(0, 0, 0), 0);  // hide an already hidden window
  EXPECT_FALSE(IsWindowVisible(editor));
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                400, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  plugin.Dispatch(0, 0, reinterpret_cast<intptr_t>(parent));
  EXPECT_EQ(GetAncestor(editor, GA_PARENT), parent);
  EXPECT_TRUE(IsWindowVisible(editor));
  plugin.Dispatch(0, 0, 0);
  EXPECT_EQ(GetAncestor(editor, GA_PARENT), GetDesktopWindow());
  EXPECT_FALSE(IsWindowVisible(editor));
  plugin.Destroy();
  DestroyWindow(parent);
}

// Slots 0 to 17, each called with its own argument count: the defaults and
// the overrides answer as the host expects, and the table lines up.
TEST_F(DllTest, EverySlotAnswersWithItsOwnOperation) {
  RawPlugin plugin = Create();
  host.midi.clear();
  plugin.Idle();
  plugin.RenderEffect(nullptr, nullptr, 0);
  plugin.RenderVoices(nullptr, 0);
  EXPECT_EQ(plugin.VoiceEvent(0, 1, 2, 3), 0);
  plugin.NoArgument(14);
  plugin.NoArgument(15);
  plugin.OneArgument(16, 7);
  plugin.OneArgument(17, 7);
  EXPECT_EQ(plugin.ProcessEvent(4, 64, 0), 0);
  EXPECT_EQ(plugin.ProcessParam(2, 50, 0), 50) << "a parameter answers its value";
  EXPECT_EQ(plugin.ProcessParam(127, 5, 0x11), 5);
  char name[300] = "unchanged";
  plugin.GetName(3, 0, 0, name);  // an unknown section writes nothing
  EXPECT_STREQ(name, "unchanged");
  float buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), 1.0f);
  int32_t length = 4;
  EXPECT_EQ(plugin.RenderVoice(0, buffer, &length), 0);
  EXPECT_EQ(length, 4);
  EXPECT_TRUE(host.midi.empty());
  plugin.Destroy();
}

TEST_F(DllTest, ManyInstancesComeAndGo) {
  for (int round = 0; round < 50; ++round) {
    RawPlugin a = Create(round);
    RawPlugin b = Create(round + 1000);
    EXPECT_NE(a.editorWindow(), b.editorWindow());
    b.Destroy();
    a.Destroy();
  }
}

}  // namespace
