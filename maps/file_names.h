// A file's name as messages give it, and the parts of it that choose a
// format. Paths may use either slash: the plug-in gets Windows paths, the
// tests and plughost's arguments either kind.
#pragma once

#include <string>

// The name a message gives a file: the last part of its path.
std::string MapDisplayName(const std::string& path);

// The extension of the file's name, with its dot, in lower case:
// ".reabank"; empty when the name has none.
std::string LowerExtension(const std::string& path);

// The file's name without its extension: "strings" for "C:\\maps\\strings.reabank".
std::string FileStem(const std::string& path);
