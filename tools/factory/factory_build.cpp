// factory-build SOURCES OUT: converts the factory map sources into the
// library folder OUT (maker/product/map.json, community/maker/product/map.json
// for the community maps, the index maps.json, the licences and notice),
// printing what could not be kept, what was left out and why, and a summary.
//
// OUT is replaced whole, and only when it is new, empty or a library this
// program wrote (it holds maps.json): a folder of anything else is refused.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/factory/factory_conversion.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "factory-build: %s\n", text.c_str());
  return 1;
}

bool WriteLibrary(const fs::path& folder, const FactoryConversion& conversion, std::string& error) {
  for (const auto& [name, text] : conversion.libraryFiles) {
    const fs::path path = folder / fs::u8path(name);
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      error = "cannot write " + path.string();
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs(
        "usage: factory-build SOURCES OUT\n"
        "Converts the factory map sources (SOURCES holds articulation-mapping-files/ and\n"
        "reaticulate-banks/, and SOURCES.md) into the library folder OUT, with the\n"
        "community maps of reaticulate-userbanks/ and studio-one-user-presets/ where\n"
        "SOURCES holds them.\n",
        stderr);
    return 2;
  }
  const fs::path out(argv[2]);
  std::error_code code;
  if (fs::exists(out, code) && !(fs::is_directory(out, code) &&
                                 (fs::is_empty(out, code) || fs::exists(out / "maps.json", code))))
    return Fail(out.string() +
                " is neither empty nor a factory library (no maps.json): not replaced");

  FactoryConversion conversion;
  std::string error;
  if (!ConvertFactorySources(argv[1], conversion, error)) return Fail(error);
  for (const std::string& note : conversion.notes) std::printf("note: %s\n", note.c_str());
  for (const std::string& warning : conversion.warnings)
    std::printf("warning: %s\n", warning.c_str());
  for (const std::string& line : conversion.leftOut) std::printf("left out: %s\n", line.c_str());
  for (const std::string& line : conversion.duplicates)
    std::printf("duplicate left out: %s\n", line.c_str());
  for (const std::string& failure : conversion.failures)
    std::printf("error: %s\n", failure.c_str());

  // Written beside OUT, then swapped in: an interrupted run leaves OUT as it was.
  const fs::path fresh = out.string() + ".new", old = out.string() + ".old";
  fs::remove_all(fresh, code);
  fs::remove_all(old, code);
  if (!WriteLibrary(fresh, conversion, error))
    return Fail(error + "; " + out.string() + " unchanged");
  if (fs::exists(out, code)) fs::rename(out, old, code);
  if (code) return Fail("cannot move " + out.string() + " aside: " + code.message());
  fs::rename(fresh, out, code);
  if (code) return Fail("cannot move the new library to " + out.string() + ": " + code.message());
  fs::remove_all(old, code);
  std::printf("%s\n", FactorySummary(conversion).c_str());
  return conversion.failures.empty() ? 0 : 1;
}
