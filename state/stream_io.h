// Little-endian words, counts and names over a ByteStream. The reader trusts
// nothing it reads: a value is stored only when all its bytes arrived, and
// once a read comes up short it treats the stream as ended, so a field is
// either taken whole or keeps what it had, and nothing after a gap is read
// out of alignment.
#pragma once

#include <cstdint>
#include <string>

#include "state/byte_stream.h"

class StateReader {
 public:
  explicit StateReader(ByteStream& in) : in_(in) {}

  // Stores the word and returns true when all four bytes arrived; otherwise
  // leaves value as it was and returns false.
  bool ReadInt32(int32_t& value);
  bool ReadUint16(uint16_t& value);

  // A uint16 length L (a missing length counts as 0) and then L bytes, all
  // consumed. When all L arrived, name becomes the bytes before the first
  // zero byte, at most maxLength of them; otherwise name keeps its value.
  void ReadName(std::string& name, size_t maxLength);

  // Reads exactly count bytes; false, with buffer's content undefined, when
  // fewer arrived.
  bool ReadBytes(void* buffer, uint32_t count) { return ReadExactly(buffer, count); }

  bool Ended() const { return ended_; }

 private:
  bool ReadExactly(void* buffer, uint32_t count);

  ByteStream& in_;
  bool ended_ = false;
};

// One Write call per word, per count and per name's bytes.
class StateWriter {
 public:
  explicit StateWriter(ByteStream& out) : out_(out) {}

  void WriteInt32(int32_t value);
  void WriteUint16(uint16_t value);
  // The length as uint16, then the bytes (a call with 0 bytes for an empty
  // name). Only the first 65535 bytes fit the length field.
  void WriteName(const std::string& name);
  void WriteBytes(const void* bytes, uint32_t count);

 private:
  ByteStream& out_;
};
