// The little the state code needs of a stream: sequential reads that may
// come up short, and sequential writes.
#pragma once

#include <cstdint>

class ByteStream {
 public:
  // Reads up to count bytes into buffer; returns how many arrived. Fewer
  // than count (0 at the end) means the stream has nothing more.
  virtual uint32_t Read(void* buffer, uint32_t count) = 0;
  virtual void Write(const void* buffer, uint32_t count) = 0;

 protected:
  ~ByteStream() = default;
};
