// The factory library as the build generates it (tools/factory/factory_pack
// from the factory/ folder): the names, and the map texts one after another
// in one zlib stream. Read only through factory_library.h.
#pragma once

#include <cstddef>
#include <cstdint>

struct FactoryBlobEntry {
  const char* maker;
  const char* product;
  const char* name;
  uint32_t titleAt;  // the title is the name from here on
  uint32_t offset;   // of the map's text in the inflated stream
  uint32_t size;
  uint32_t crc;  // CRC-32 of the text, to know a damaged library
};

// kFactoryEntryCount entries, then one empty entry.
extern const FactoryBlobEntry kFactoryEntries[];
extern const size_t kFactoryEntryCount;
extern const size_t kFactoryTextSize;
extern const unsigned char kFactoryBlob[];
extern const size_t kFactoryBlobSize;
