// Whole-file reading and all-or-nothing writing: output goes to a temporary
// file beside the target and is renamed over it only when complete, so a
// failure never leaves a partial file under the target's name.
//
// Paths are UTF-8 and every file is opened by its wide (UTF-16) name, so a
// name beyond the system's code page is the file the user named, never a
// look-alike the code page puts in its place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error);
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);
// The temporary file WriteFileAtomically writes before renaming it to `path`.
std::string TemporaryPathFor(const std::string& path);

// An absolute path, so files stay where the user meant them after the
// working directory changes.
std::string FullPath(const std::string& path);
// True when the path ends in `extension` (".json"), in any case.
bool HasExtension(const std::string& path, const std::string& extension);
// The folder part of a path, with its trailing separator; empty for none.
std::string FolderOf(const std::string& path);
bool FileExists(const std::string& path);
// Deletes the file; false when it is still there.
bool RemoveFile(const std::string& path);
// The system's text for a Windows error code, with the code.
std::string WindowsErrorText(unsigned long code);
// Creates the folder (and missing parents); true when it exists afterwards.
bool EnsureFolder(const std::string& path);
