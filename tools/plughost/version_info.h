// The version a Windows file carries in its version resource.
#pragma once

#include <string>

// The "ProductVersion" text of the file's version resource (US English,
// Unicode block), or an empty string when it has none.
std::string FileVersionText(const std::string& path);
