// What a MIDI file claims costs nothing until the bytes are there: this
// executable's operator new adds up the bytes requested while a count runs,
// and a file that claims 65,535 tracks, a 2 GiB chunk or a 256 MB event
// must be refused for the price of its error message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "tools/midifile/midi_file_reader.h"

namespace {
bool g_counting = false;
size_t g_requested = 0;
}  // namespace

void* operator new(std::size_t size) {
  if (g_counting) g_requested += size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
// The library's temporary buffers (stable_sort) come from the nothrow form.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_counting) g_requested += size;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Bytes = std::vector<uint8_t>;

// Bytes requested from the heap by reading `file` both ways, which must fail.
size_t CostOfRefusing(const Bytes& file) {
  MidiFile midi;
  MidiLayout layout;
  std::string fileError, layoutError;
  fileError.reserve(400);
  layoutError.reserve(400);
  g_requested = 0;
  g_counting = true;
  const bool read =
      ReadMidiFile(file, midi, fileError) || ReadMidiLayout(file, layout, layoutError);
  g_counting = false;
  EXPECT_FALSE(read);
  return g_requested;
}

TEST(MidiReaderAllocation, ClaimsCostNothingBeforeTheyAreFoundFalse) {
  const Bytes header = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0xFF, 0xFF, 0, 96};
  const Bytes track = {'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0x90, 60, 100};
  Bytes manyTracks = header;  // 65,535 tracks claimed, one there
  manyTracks.insert(manyTracks.end(), track.begin(), track.end());
  Bytes hugeChunk = header;  // 2 GiB claimed, 4 bytes there
  hugeChunk.insert(hugeChunk.end(), {'M', 'T', 'r', 'k', 0x80, 0, 0, 0, 0x00, 0x90, 60, 100});
  Bytes hugeEvent = header;  // a 256 MB meta event claimed, one byte there
  hugeEvent.insert(hugeEvent.end(),
                   {'M', 'T', 'r', 'k', 0, 0, 0, 8, 0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F, 'a'});

  EXPECT_LT(CostOfRefusing(manyTracks), 1024u);
  EXPECT_LT(CostOfRefusing(hugeChunk), 1024u);
  EXPECT_LT(CostOfRefusing(hugeEvent), 1024u);
}

TEST(MidiReaderAllocation, CounterSeesTheReadersAllocations) {
  // Guards the test above: a file that is what it claims does cost.
  const Bytes file = {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0,    0,    1,  0,
                      96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0x90, 60, 100};
  MidiFile midi;
  std::string error;
  g_requested = 0;
  g_counting = true;
  ASSERT_TRUE(ReadMidiFile(file, midi, error)) << error;
  g_counting = false;
  EXPECT_GT(g_requested, 0u);
}

}  // namespace
