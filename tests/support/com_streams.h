// COM streams over global memory for tests that hand the DLL a host's
// IStream: the bytes a stream holds, and a stream holding given bytes.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> StreamBytes(IStream* stream) {
  HGLOBAL memory = nullptr;
  GetHGlobalFromStream(stream, &memory);
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
  std::vector<uint8_t> bytes(data, data + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return bytes;
}

// A new stream, positioned at its start; the caller releases it.
inline IStream* StreamOver(const std::vector<uint8_t>& bytes) {
  IStream* stream = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  ULONG written = 0;
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return stream;
}
