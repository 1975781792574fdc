#include "tools/plughost/factory_maps.h"

#include <cstdio>

#include "maps/counted.h"
#include "maps/factory_library.h"
#include "maps/factory_search.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/settings_file.h"

namespace {

constexpr char kPrefix[] = "factory:";

}  // namespace

bool IsFactoryArgument(const std::string& argument) { return argument.rfind(kPrefix, 0) == 0; }

bool ReadSettingsBytes(const std::string& argument, std::vector<uint8_t>& bytes,
                       std::string& error) {
  if (!IsFactoryArgument(argument)) return ReadWholeFile(argument, bytes, error);
  size_t index = 0;
  std::string text;
  if (!FindFactoryMap(argument.substr(sizeof kPrefix - 1), index, error) ||
      !FactoryMapText(index, text, error))
    return false;
  bytes.assign(text.begin(), text.end());
  return true;
}

int FactoryCommand(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += word + " ";
  const std::vector<size_t> found = FactoryMapsWithWords(joined);
  for (size_t index : found) Print("%s\n", FactoryMapAt(index).name);
  PrintError("plughost: %s of %s\n", Counted(found.size(), "factory map").c_str(),
             std::to_string(FactoryMapCount()).c_str());
  return found.empty() ? kExitBadInput : kExitOk;
}
