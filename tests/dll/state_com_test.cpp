// The state through the host's COM stream: a real IStream over global
// memory, handed to the DLL's SaveOrLoadState slot.
#include <gtest/gtest.h>
#include <objidl.h>

#include <cstring>
#include <vector>

#include "raw_host.h"
#include "tests/support/com_streams.h"
#include "tools/plughost/plugin_library.h"

namespace {

void PutWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
  std::memcpy(bytes.data() + offset, &value, 4);
}

class StateThroughComStream : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.loaded());
    plugin = RawPlugin(library.Create(reinterpret_cast<PluginHost*>(&host), 5));
    ASSERT_NE(plugin.object(), nullptr);
  }
  void TearDown() override {
    plugin.Destroy();
    EXPECT_TRUE(host.unexpectedEntries.empty());
  }
  std::vector<uint8_t> Save() {
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    plugin.SaveOrLoadState(stream, 1);
    std::vector<uint8_t> bytes = StreamBytes(stream);
    stream->Release();
    return bytes;
  }
  void Load(const std::vector<uint8_t>& bytes) {
    IStream* stream = StreamOver(bytes);
    plugin.SaveOrLoadState(stream, 0);
    stream->Release();
  }

  PluginLibrary library{"QuindleVelmora.dll"};
  RawHost host;
  RawPlugin plugin{nullptr};
};

TEST_F(StateThroughComStream, NewInstanceSavesTheDefault346Bytes) {
  const std::vector<uint8_t> bytes = Save();
  ASSERT_EQ(bytes.size(), 346u);
  std::vector<uint8_t> expected;
  auto word = [&](int32_t v) {
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  word(5);
  for (int i = 0; i < 5; ++i) word(0);
  for (int i = 0; i < 48; ++i) word(-1);
  for (int i = 0; i < 16; ++i) word(55);
  for (int i = 0; i < 16; ++i) expected.insert(expected.end(), {0, 0});
  expected.insert(expected.end(), {6, 0});
  for (int i = 0; i < 5; ++i) word(127);
  word(0);
  word(1);
  word(0);
  EXPECT_EQ(bytes, expected);
}

TEST_F(StateThroughComStream, LoadedSettingsComeBackAndLoadSendsNothing) {
  std::vector<uint8_t> bytes = Save();
  PutWord(bytes, 4, 9);            // channel
  PutWord(bytes, 8, 3);            // port
  PutWord(bytes, 24 + 4 * 2, 36);  // keyswitch of slot 2
  PutWord(bytes, 88 + 4 * 2, 10);  // UACC of slot 2
  host.midi.clear();
  Load(bytes);
  EXPECT_TRUE(host.midi.empty()) << "a load sends nothing";
  EXPECT_EQ(Save(), bytes);

  // The next note of colour 2 goes out on the loaded address with its
  // slot's keyswitch and UACC first.
  host.colour = 2;
  HostVoiceParams params;
  params.pitch = 0;
  const intptr_t voice = plugin.TriggerVoice(&params, 42);
  ASSERT_NE(voice, 0);
  ASSERT_EQ(host.midi.size(), 4u);
  EXPECT_EQ(host.midi[0], 0x037F2499u) << "keyswitch on, channel 10, port 3";
  EXPECT_EQ(host.midi[1], 0x03002489u);
  EXPECT_EQ(host.midi[2], 0x030A20B9u) << "UACC";
  EXPECT_EQ(host.midi[3] & 0xFFFF, 0x3C99u) << "then the note";
  plugin.KillVoice(voice);
}

TEST_F(StateThroughComStream, TruncatedStreamLoadsWhatArrivedAndStaysSound) {
  std::vector<uint8_t> bytes = Save();
  PutWord(bytes, 4, 7);
  PutWord(bytes, 24, 40);  // keyswitch of slot 0
  bytes.resize(30);        // ends inside the second keyswitch word
  Load(bytes);
  const std::vector<uint8_t> after = Save();
  ASSERT_EQ(after.size(), 346u);
  int32_t channel, keyswitch0, keyswitch1;
  std::memcpy(&channel, after.data() + 4, 4);
  std::memcpy(&keyswitch0, after.data() + 24, 4);
  std::memcpy(&keyswitch1, after.data() + 28, 4);
  EXPECT_EQ(channel, 7);
  EXPECT_EQ(keyswitch0, 40);
  EXPECT_EQ(keyswitch1, -1) << "a missing word keeps the reset value";
}

TEST_F(StateThroughComStream, NullStreamIsHarmless) {
  plugin.SaveOrLoadState(nullptr, 1);
  plugin.SaveOrLoadState(nullptr, 0);
  EXPECT_EQ(Save().size(), 346u);
}

}  // namespace
