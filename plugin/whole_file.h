// Files written whole or not at all, by the plug-in ("Save map as...") and
// by plughost (every output): the bytes go to a temporary file beside the
// target, are flushed to the disk, and the temporary file is moved over the
// target in one step, so the target holds its old content or all of the
// new. On a failure the temporary file is removed. Whether an existing
// target may be replaced is asked before, by the caller.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

struct WholeFileWrite {
  DWORD error = 0;       // 0 when the file is written
  bool created = false;  // whether the temporary file could be made at all
};

// Writes `size` bytes to `path` through `temporary`.
WholeFileWrite WriteWholeFile(const std::wstring& path, const std::wstring& temporary,
                              const void* data, size_t size);

// The system's text for a Windows error, in UTF-8, without its closing stop
// ("Access is denied"); empty when the system has none.
std::string SystemErrorText(DWORD code);
