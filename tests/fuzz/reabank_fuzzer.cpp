// Feeds arbitrary text to the .reabank reader. Every input is either refused
// with a reason, or each of its banks imports to slots that a written bank
// gives back unchanged, without a warning.
#include <cstdio>
#include <cstdlib>

#include "tools/maps/formats/reabank.h"
#include "tools/maps/map_formats.h"
#include "tools/maps/map_import.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& detail) {
  std::fprintf(stderr, "reabank property broken: %s: %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  ForeignMap map;
  ImportError error;
  if (!ReadForeignMap("fuzz.reabank", bytes, map, error)) {
    if (error.message.empty()) Broken("refused without a reason", error.where);
    return 0;
  }
  ListForeignMap(map, "fuzz.reabank");
  for (const ForeignBank& bank : map.banks) {
    ImportResult first;
    if (!ImportForeignMap(ForeignMap{{bank}}, "fuzz.reabank", {}, first, error)) continue;
    const std::string written = WriteReabank(first.settings, bank.name);
    ForeignMap again;
    ImportResult second;
    if (!ReadReabank(written, again, error) ||
        !ImportForeignMap(again, "again.reabank", {}, second, error))
      Broken("the written bank does not import", error.where + ": " + error.message + "\n" + written);
    if (!second.warnings.empty()) Broken("the written bank warns", second.warnings.front());
    const std::string difference = FirstDifference(first.settings, second.settings);
    if (!difference.empty()) Broken("export then import changed", difference + "\n" + written);
  }
  return 0;
}
