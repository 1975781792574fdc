#include "maps/factory_library.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "maps/factory_blob.h"

namespace {

// Inflates one whole zlib stream, which must give `expected` bytes: zlib
// checks the stream's own checksum at its end, so a damaged library never
// gives a damaged text.
bool InflateStream(const unsigned char* data, size_t size, size_t expected, std::string& out) {
  out.assign(expected, '\0');
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(size);
  unsigned char spare;  // room for one byte more, to see a stream longer than said
  stream.next_out = expected > 0 ? reinterpret_cast<Bytef*>(&out[0]) : &spare;
  stream.avail_out = static_cast<uInt>(expected > 0 ? expected : 1);
  int status = inflate(&stream, Z_FINISH);
  if (status == Z_BUF_ERROR && stream.avail_out == 0 && expected > 0) {
    stream.next_out = &spare;
    stream.avail_out = 1;
    status = inflate(&stream, Z_FINISH);
  }
  const size_t got = stream.total_out;
  inflateEnd(&stream);
  return status == Z_STREAM_END && got == expected;
}

struct Record {
  const char* maker;
  const char* product;
  const char* name;
  const char* title;
  const char* source;
  bool community;
  uint32_t chunk;   // the chunk holding its text
  uint32_t offset;  // of its text in the chunk
  uint32_t size;
};

// The inflated index and the maps read from it; `problem` says why there
// are none when the index does not read.
struct Index {
  std::string text;
  std::vector<Record> records;
  std::string problem;
};

// Reads the NUL-ended fields of the index text one by one.
class Fields {
 public:
  explicit Fields(const std::string& text) : text_(text) {}

  bool Text(const char*& field) {
    if (at_ >= text_.size()) return false;
    field = text_.c_str() + at_;
    at_ += std::strlen(field) + 1;
    return true;
  }

  // A decimal number below `bound`.
  bool Number(uint32_t& value, uint64_t bound) {
    const char* field = nullptr;
    if (!Text(field) || *field == '\0') return false;
    uint64_t n = 0;
    for (; *field; ++field) {
      if (*field < '0' || *field > '9') return false;
      n = n * 10 + static_cast<uint64_t>(*field - '0');
      if (n >= bound) return false;
    }
    value = static_cast<uint32_t>(n);
    return true;
  }

  bool AtEnd() const { return at_ == text_.size(); }

 private:
  const std::string& text_;
  size_t at_ = 0;
};

bool ParseIndex(Index& index) {
  Fields fields(index.text);
  uint32_t counts[3];
  for (uint32_t& count : counts)
    if (!fields.Number(count, uint64_t{kFactoryEntryCount} + 1)) return false;
  std::vector<const char*> lists[3];
  for (int list = 0; list < 3; ++list) {
    lists[list].resize(counts[list]);
    for (const char*& text : lists[list])
      if (!fields.Text(text)) return false;
  }
  index.records.reserve(kFactoryEntryCount);
  size_t chunk = 0, offset = 0;
  for (size_t i = 0; i < kFactoryEntryCount; ++i) {
    uint32_t maker, product, source, community, size, titleAt;
    Record r{};
    if (!fields.Number(maker, counts[0]) || !fields.Number(product, counts[1]) ||
        !fields.Number(source, counts[2]) || !fields.Number(community, 2) ||
        !fields.Number(size, UINT32_MAX) || !fields.Number(titleAt, UINT32_MAX) ||
        !fields.Text(r.name) || titleAt > std::strlen(r.name))
      return false;
    // Maps fill the chunks in order.
    while (chunk < kFactoryChunkCount && i >= kFactoryChunks[chunk + 1].firstMap) {
      if (offset != kFactoryChunks[chunk].textSize) return false;
      ++chunk;
      offset = 0;
    }
    if (chunk >= kFactoryChunkCount || offset + size > kFactoryChunks[chunk].textSize) return false;
    r.maker = lists[0][maker];
    r.product = lists[1][product];
    r.source = lists[2][source];
    r.title = r.name + titleAt;
    r.community = community == 1;
    r.chunk = static_cast<uint32_t>(chunk);
    r.offset = static_cast<uint32_t>(offset);
    r.size = size;
    offset += size;
    index.records.push_back(r);
  }
  return fields.AtEnd() && (kFactoryEntryCount == 0 || offset == kFactoryChunks[chunk].textSize);
}

Index ReadIndex() noexcept {
  Index index;
  try {
    if (!InflateStream(kFactoryBlob, kFactoryIndexSize, kFactoryIndexTextSize, index.text) ||
        !ParseIndex(index)) {
      index.records.clear();
      index.problem = "the factory library is damaged: its index does not read";
    }
  } catch (const std::bad_alloc&) {
    index.records.clear();
    index.problem = "";  // no memory for the message either: FactoryMapText says so itself
  }
  return index;
}

// Read once, on first use; a function's static is initialised once even
// when threads race to it.
const Index& TheIndex() {
  static const Index index = ReadIndex();
  return index;
}

}  // namespace

size_t FactoryMapCount() { return TheIndex().records.size(); }

FactoryMapInfo FactoryMapAt(size_t index) {
  const std::vector<Record>& records = TheIndex().records;
  if (index >= records.size()) return {"", "", "", "", "", false};
  const Record& r = records[index];
  return {r.maker, r.product, r.name, r.title, r.source, r.community};
}

bool FactoryMapText(size_t index, std::string& json, std::string& error) {
  try {
    const Index& library = TheIndex();
    if (index >= library.records.size()) {
      error = !library.problem.empty() ? library.problem
              : kFactoryEntryCount > 0 && library.records.empty()
                  ? std::string("out of memory for the factory library's index")
                  : "there is no factory map " + std::to_string(index) + " (there are " +
                        std::to_string(library.records.size()) + ")";
      return false;
    }
    const Record& r = library.records[index];
    const FactoryChunk& chunk = kFactoryChunks[r.chunk];
    std::string texts;
    if (chunk.at > kFactoryBlobSize || chunk.size > kFactoryBlobSize - chunk.at ||
        !InflateStream(kFactoryBlob + chunk.at, chunk.size, chunk.textSize, texts)) {
      error = std::string("the factory library is damaged: map \"") + r.name +
              "\" does not come out as it went in";
      return false;
    }
    json.assign(texts, r.offset, r.size);
    return true;
  } catch (const std::bad_alloc&) {
    try {
      error = "out of memory for a factory map";
    } catch (...) {
    }
    return false;
  }
}
