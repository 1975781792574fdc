// The extension block: what the slot additions add to a saved state. It
// follows the version-5 layout unchanged, so a reader of plain version 5,
// which stops at the view state, loads such a state without the additions
// and loses nothing else. It is written only when some slot uses an
// addition; a state without additions stays byte for byte version 5.
//
// Layout, little-endian:
//   u32 tag "QVXB" | u32 length L of the payload | u32 CRC-32 of the payload |
//   payload of L bytes: u32 block format version (1)
//   u8 record count, then per record:
//     u8 slot | u16 record length L | L bytes:
//       u8 keyswitch velocity | i8 transpose | u32 note channel set |
//       u8 action count | per action: u8 kind, u8 channel, u8 number, u16 value |
//       u16 latency in ms (only when not 0; a record without it means 0)
//   Bytes of a record past the fields known here are skipped, so a later
//   format may add fields at the end of a record. The checksum tells a
//   damaged block from one that merely holds other values.
//
// The one encoder and decoder of the block: the plug-in's state code and
// the map tools both use these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/slot_additions.h"

constexpr uint32_t kExtensionTag = 0x42585651;  // "QVXB" in file order
constexpr uint32_t kExtensionFormatVersion = 1;
constexpr size_t kExtensionHeaderSize = 12;  // tag, length, checksum
// A block of every slot with every action is far below this; a length above
// it is damage.
constexpr uint32_t kMaxExtensionLength = 16384;

// The whole block, header included; empty when every slot is at its defaults.
std::vector<uint8_t> EncodeExtensionBlock(const SlotAdditionsArray& additions);

struct ExtensionHeader {
  uint32_t length = 0;
  uint32_t checksum = 0;
};

// Reads a block header; false when the tag is not ours or the length
// cannot be a block's.
bool ReadExtensionHeader(const uint8_t (&bytes)[kExtensionHeaderSize], ExtensionHeader& header);

// Decodes the payload that follows a header. True, with every slot filled
// (defaults where the block has no record), only when the payload matches
// the header's checksum, is whole and holds values in their ranges;
// otherwise false and out untouched.
bool DecodeExtensionPayload(const ExtensionHeader& header, const uint8_t* payload,
                            SlotAdditionsArray& out);

// A block at the start of bytes, header included, filling out as above.
// Sets used to the bytes the block takes (0 when there is none or it is
// damaged).
bool DecodeExtensionBlock(const uint8_t* bytes, size_t size, SlotAdditionsArray& out, size_t& used);
