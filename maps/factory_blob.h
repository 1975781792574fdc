// The factory library as the build generates it (tools/factory/factory_pack
// from the factory/ folder), all of it compressed: one zlib stream of the
// index, then the map texts one after another in chunks of about 256 KB,
// each chunk a zlib stream of its own, so a map costs the inflating of its
// chunk alone. Read only through factory_library.h.
//
// The inflated index is text in fields ended by NUL: the counts of makers,
// products and sources; that many makers, products and source files; then
// for each map, in menu order: its maker's, product's and source's number,
// "1" for a community map else "0", the size of its text, where its title
// starts in its name, and its name.
#pragma once

#include <cstddef>
#include <cstdint>

struct FactoryChunk {
  uint32_t at;        // where its stream starts in kFactoryBlob
  uint32_t size;      // the stream's bytes
  uint32_t textSize;  // the bytes of the texts it holds
  uint32_t firstMap;  // the number of its first map; its maps follow in order
};

// The index's stream (kFactoryIndexSize bytes, kFactoryIndexTextSize
// inflated), then the chunks'.
extern const unsigned char kFactoryBlob[];
extern const size_t kFactoryBlobSize;
extern const uint32_t kFactoryIndexSize;
extern const uint32_t kFactoryIndexTextSize;
extern const size_t kFactoryEntryCount;
// kFactoryChunkCount chunks, then one empty entry past the last.
extern const FactoryChunk kFactoryChunks[];
extern const size_t kFactoryChunkCount;
