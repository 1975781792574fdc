#include "maps/factory_library.h"

#include <zlib.h>

#include <new>

#include "maps/factory_blob.h"

namespace {

// Inflates the stream from its start up to the end of the wanted text,
// keeping only that text: a menu choice costs a few milliseconds, and
// nothing stays in memory between choices.
bool Inflate(const FactoryBlobEntry& entry, std::string& text, std::string& error) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) {
    error = "the factory library cannot be opened (zlib)";
    return false;
  }
  stream.next_in = const_cast<Bytef*>(kFactoryBlob);
  stream.avail_in = static_cast<uInt>(kFactoryBlobSize);
  text.clear();
  text.reserve(entry.size);
  const size_t end = size_t{entry.offset} + entry.size;
  size_t done = 0;  // inflated bytes so far
  unsigned char buffer[16384];
  int status = Z_OK;
  while (done < end && status == Z_OK) {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    const size_t got = sizeof buffer - stream.avail_out;
    // The part of [done, done + got) that lies in [offset, end).
    const size_t from = done > entry.offset ? done : entry.offset;
    const size_t to = done + got < end ? done + got : end;
    if (from < to) text.append(reinterpret_cast<const char*>(buffer) + (from - done), to - from);
    done += got;
    if (got == 0 && status == Z_OK) status = Z_BUF_ERROR;
  }
  inflateEnd(&stream);
  const uLong crc =
      crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
  if (done < end || text.size() != entry.size || crc != entry.crc) {
    error = std::string("the factory library is damaged: map \"") + entry.name +
            "\" does not come out as it went in";
    return false;
  }
  return true;
}

}  // namespace

size_t FactoryMapCount() { return kFactoryEntryCount; }

FactoryMapInfo FactoryMapAt(size_t index) {
  // The empty entry after the last stands for every index out of range.
  const FactoryBlobEntry& e =
      kFactoryEntries[index < kFactoryEntryCount ? index : kFactoryEntryCount];
  return {e.maker, e.product, e.name, e.name + e.titleAt};
}

bool FactoryMapText(size_t index, std::string& json, std::string& error) {
  try {
    if (index >= kFactoryEntryCount) {
      error = "there is no factory map " + std::to_string(index) + " (there are " +
              std::to_string(kFactoryEntryCount) + ")";
      return false;
    }
    std::string text;
    if (!Inflate(kFactoryEntries[index], text, error)) return false;
    json.swap(text);
    return true;
  } catch (const std::bad_alloc&) {
    try {
      error = "out of memory for a factory map";
    } catch (...) {
    }
    return false;
  }
}
