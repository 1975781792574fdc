// The state with no memory to spare: a save or load refused an allocation
// at any point throws with nothing done (no byte written, no setting
// changed), and one that gets all it asks for completes. Every allocation
// the operation makes is refused in turn, once or from then on
// (tests/support/allocation_failures.h).
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "engine/data_model.h"
#include "state/memory_byte_stream.h"
#include "state/state_stream.h"
#include "tests/support/allocation_failures.h"

namespace {

// Names too long to live inside the string, and slot additions, so that a
// load and a save allocate.
void Fill(DataModel& model, char letter, int32_t channel) {
  model.output.channel = channel;
  model.pageIndex = kArticulationPage;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    model.bank.keyswitch[slot] = 24 + slot;
    model.bank.name.Set(slot, std::string(20 + 10 * slot, static_cast<char>(letter + slot)));
  }
  SlotAdditions additions;
  additions.transpose = static_cast<int8_t>(channel);
  additions.noteChannels = 1u << 3;
  ASSERT_TRUE(model.additions.Set(5, additions));
}

std::vector<uint8_t> Saved(const DataModel& model) {
  MemoryByteStream out;
  SaveState(model, out);
  return out.bytes;
}

struct Mode {
  bool persistent;
  const char* name;
};
constexpr Mode kModes[] = {{false, "one refusal"}, {true, "refusals from then on"}};

TEST(StateOutOfMemory, LoadChangesNothingOrCompletes) {
  DataModel other;
  Fill(other, 'a', 7);
  const std::vector<uint8_t> incoming = Saved(other);
  DataModel reference;
  Fill(reference, 'K', 2);
  const std::vector<uint8_t> before = Saved(reference);
  MemoryByteStream whole(incoming);
  LoadState(reference, whole, nullptr);
  const std::vector<uint8_t> loaded = Saved(reference);
  ASSERT_NE(loaded, before);

  for (const Mode& mode : kModes) {
    long refusedLoads = 0;
    for (long allowed = 0;; ++allowed) {
      SCOPED_TRACE(std::string(mode.name) + ", allocations allowed: " + std::to_string(allowed));
      DataModel model;  // fresh: the first load ends that, a refused one must not
      Fill(model, 'K', 2);
      MemoryByteStream in(incoming);
      bool threw = false;
      allocation_failures::FailAfter(allowed, mode.persistent);
      try {
        LoadState(model, in, nullptr);
      } catch (const std::bad_alloc&) {
        threw = true;
      }
      const long refused = allocation_failures::Refused();
      allocation_failures::Stop();
      if (threw) {
        ++refusedLoads;
        EXPECT_EQ(Saved(model), before);
        EXPECT_EQ(model.freshInstance, 1);
        EXPECT_EQ(in.position, 0u) << "a refused load read the stream";
      } else {
        EXPECT_EQ(Saved(model), loaded);
        EXPECT_EQ(model.freshInstance, 0);
      }
      if (refused == 0) break;
      ASSERT_LT(allowed, 1000) << "the load never completed";
    }
    EXPECT_GT(refusedLoads, 0) << "no load was refused: the test proves nothing";
  }
}

TEST(StateOutOfMemory, SaveWritesNothingOrAll) {
  DataModel model;
  Fill(model, 'K', 2);
  const std::vector<uint8_t> whole = Saved(model);
  for (const Mode& mode : kModes) {
    long refusedSaves = 0;
    for (long allowed = 0;; ++allowed) {
      SCOPED_TRACE(std::string(mode.name) + ", allocations allowed: " + std::to_string(allowed));
      MemoryByteStream out;
      out.bytes.reserve(whole.size());  // the stream's own growth is not the state's
      bool threw = false;
      allocation_failures::FailAfter(allowed, mode.persistent);
      try {
        SaveState(model, out);
      } catch (const std::bad_alloc&) {
        threw = true;
      }
      const long refused = allocation_failures::Refused();
      allocation_failures::Stop();
      if (threw) {
        ++refusedSaves;
        EXPECT_TRUE(out.bytes.empty()) << out.bytes.size() << " bytes written before it threw";
      } else {
        EXPECT_EQ(out.bytes, whole);
      }
      EXPECT_EQ(Saved(model), whole);
      if (refused == 0) break;
      ASSERT_LT(allowed, 1000) << "the save never completed";
    }
    EXPECT_GT(refusedSaves, 0) << "no save was refused: the test proves nothing";
  }
}

}  // namespace
