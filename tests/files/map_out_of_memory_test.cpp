// The map codecs with no memory to spare: every allocation of reading our
// JSON map, writing one, and inspecting and building a load from a map
// file, refused in turn. A refusal ends in a complete result or a refusal
// with a message, never in the end of the program (an exception thrown out
// of a destructor or a noexcept function). Its own program: the operator new
// of tests/support/allocation_failures.h is the one in use here.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "example_maps.h"
#include "maps/articulation_map.h"
#include "maps/map_loading.h"
#include "maps/state_bytes.h"
#include "tests/support/allocation_failures.h"

namespace {

constexpr long kGiveUpAt = 100000;

// Runs `attempt` with the allocations from the N-th on refused (once, or
// from then on), for N = 0, 1, ... until one runs without a refusal; each
// result is checked by `check`. Returns how many runs were refused.
template <typename Attempt, typename Check>
long Sweep(bool persistent, Attempt attempt, Check check) {
  long refusedRuns = 0;
  for (long allowed = 0; allowed < kGiveUpAt; ++allowed) {
    SCOPED_TRACE((persistent ? "refusals from then on, N = " : "one refusal, N = ") +
                 std::to_string(allowed));
    allocation_failures::FailAfter(allowed, persistent);
    auto result = attempt();
    const long refused = allocation_failures::Refused();
    allocation_failures::Stop();
    check(result, refused > 0);
    if (refused == 0) return refusedRuns;
    ++refusedRuns;
  }
  ADD_FAILURE() << "no run completed";
  return refusedRuns;
}

struct Parsed {
  bool threw = false, ok = false;
  PluginSettings settings;
  MapError error;
};

TEST(MapOutOfMemory, OurJsonMapIsReadAndWrittenWholeOrNotAtAll) {
  const std::string text = kExample_strings_json;
  PluginSettings reference;
  MapError error;
  ASSERT_TRUE(ParseArticulationMap(text, reference, error)) << error.message;
  std::string written;
  ASSERT_TRUE(FormatArticulationMap(reference, written, error)) << error.message;

  for (const bool persistent : {false, true}) {
    const long readRefusals = Sweep(
        persistent,
        [&] {
          Parsed out;
          try {
            out.ok = ParseArticulationMap(text, out.settings, out.error);
          } catch (const std::bad_alloc&) {
            out.threw = true;
          }
          return out;
        },
        [&](const Parsed& out, bool refused) {
          if (out.threw) return;
          EXPECT_EQ(out.ok, out.settings == reference);
          if (!refused) {
            EXPECT_TRUE(out.ok);
          }
        });
    EXPECT_GT(readRefusals, 0);

    const long writeRefusals = Sweep(
        persistent,
        [&] {
          std::string out;
          MapError outError;
          try {
            if (!FormatArticulationMap(reference, out, outError)) out = "(refused)";
          } catch (const std::bad_alloc&) {
            out.clear();
          }
          return out;
        },
        [&](const std::string& out, bool refused) {
          if (!refused || !out.empty()) {
            EXPECT_EQ(out, written);
          }
        });
    EXPECT_GT(writeRefusals, 0);
  }
}

// The panel's path: what a file offers, then the state a load gives. Both
// are noexcept and answer a refusal with a message. One refusal at a time:
// a message needs memory of its own.
TEST(MapOutOfMemory, AFileIsInspectedAndLoadedOrRefusedWithAMessage) {
  const std::string text = kExample_strings_reabank;
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  // Long enough to live on the heap: the name is part of every message.
  const std::string name = "a folder/the strings of a library.reabank";
  const std::vector<uint8_t> current = EncodeState(PluginSettings{});
  MapOffer offer;
  MapLoadReport report;
  ASSERT_TRUE(InspectMapFile(name, bytes, offer, report)) << report.summary;
  std::vector<uint8_t> reference;
  ASSERT_TRUE(BuildLoadedState(offer, {}, current, reference, report)) << report.summary;

  Sweep(
      false,
      [&] {
        MapOffer inspected;
        MapLoadReport told;
        std::vector<uint8_t> loaded;
        const bool ok = InspectMapFile(name, bytes, inspected, told) &&
                        BuildLoadedState(inspected, {}, current, loaded, told);
        if (!ok) loaded.clear();
        return std::make_pair(std::move(loaded), std::move(told.summary));
      },
      [&](const std::pair<std::vector<uint8_t>, std::string>& out, bool refused) {
        if (!out.first.empty()) {
          EXPECT_EQ(out.first, reference);
        } else {
          EXPECT_TRUE(refused);
          EXPECT_FALSE(out.second.empty()) << "refused without a message";
        }
      });
}

}  // namespace
