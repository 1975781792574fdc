// The built-in factory maps in plughost: the factory command, and
// factory:NAME wherever a settings file is taken.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// factory:NAME, which names a built-in map rather than a file.
bool IsFactoryArgument(const std::string& argument);

// The bytes of a settings argument: the file's, or for factory:NAME the
// factory map's JSON text. On failure `error` says why, as ReadWholeFile's
// errors do (the caller names the argument).
bool ReadSettingsBytes(const std::string& argument, std::vector<uint8_t>& bytes,
                       std::string& error);

// plughost factory [WORDS...]: the maps whose names hold every word, one a
// line: the name (a community map's followed by " (community)"), a tab and
// the file it was converted from.
int FactoryCommand(const std::vector<std::string>& words);
