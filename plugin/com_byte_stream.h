// Adapts the host's COM stream to the state code's ByteStream. Only Read and
// Write are used; the byte count is asked for so a short read is noticed.
#pragma once

#include <objidl.h>

#include "state/byte_stream.h"

class ComByteStream final : public ByteStream {
 public:
  explicit ComByteStream(IStream* stream) : stream_(stream) {}

  uint32_t Read(void* buffer, uint32_t count) override {
    if (!stream_ || count == 0) return 0;
    ULONG got = 0;
    if (FAILED(stream_->Read(buffer, count, &got))) return 0;
    return got > count ? count : got;
  }

  void Write(const void* buffer, uint32_t count) override {
    if (stream_) stream_->Write(buffer, count, nullptr);
  }

 private:
  IStream* stream_;
};
