// How long a map takes from the bytes of a file to the slots applied in an
// instance: what a drop or a paste costs on the editor's thread. For every
// file (the real maps and examples built in, and any given on the command
// line) and every bank and page it offers: the file read as the panel reads
// it (InspectMapFile), then the load (MapLoader::Load: the instance's state
// saved, the new state built, and applied through the state reader as a
// host's load is). Each is repeated; the table gives the median and the
// worst single drop over every page and repeat, per file.
//
//   map_load_bench [--repeats N] [FILE...]
//
// Target: the worst drop of the largest file, well under 50 ms.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "embedded_maps.h"
#include "engine/data_model.h"
#include "maps/map_loader.h"
#include "tools/bench/bench_clock.h"

namespace {

struct Source {
  std::string name;
  std::vector<uint8_t> bytes;
};

bool ReadWhole(const char* path, std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  uint8_t buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(file);
  return true;
}

// Every bank and page of the file dropped once each: the file read as the
// panel reads it, then that page loaded. Appends one time per drop; false
// when the file cannot be loaded.
bool DropEveryPage(MapLoader& loader, const Source& source, std::vector<double>& drops,
                   std::vector<double>& inspects) {
  MapOffer offer;
  MapLoadReport report;
  if (!MapLoader::Inspect(source.name, source.bytes, offer, report)) {
    std::printf("%s\n", report.summary.c_str());
    return false;
  }
  const size_t banks = offer.kind == MapFileKind::ForeignMap ? offer.banks.size() : 1;
  for (size_t b = 0; b < banks; ++b) {
    const size_t pages = offer.kind == MapFileKind::ForeignMap ? offer.banks[b].pages.size() : 1;
    for (size_t p = 0; p < pages; ++p) {
      const double start = bench::Now();
      MapOffer dropped;
      MapLoader::Inspect(source.name, source.bytes, dropped, report);
      const double inspected = bench::Now();
      if (!loader.Load(dropped, {b, p}, report)) {
        std::printf("%s\n", report.summary.c_str());
        return false;
      }
      const double applied = bench::Now();
      inspects.push_back(inspected - start);
      drops.push_back(applied - start);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = 20;
  std::vector<Source> sources;
  for (const EmbeddedMap& map : kEmbeddedMaps)
    sources.push_back({map.name, {map.text, map.text + std::string(map.text).size()}});
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--repeats" && i + 1 < argc) {
      repeats = std::max(1, std::atoi(argv[++i]));
      continue;
    }
    Source source{arg, {}};
    if (!ReadWhole(argv[i], source.bytes)) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 2;
    }
    sources.push_back(std::move(source));
  }

  auto model = std::make_unique<DataModel>();
  MapLoader loader(*model, nullptr);
  std::printf("%-60s %8s %6s %11s %11s %11s\n", "file", "bytes", "drops", "read ms", "drop ms",
              "worst ms");
  double largestMedian = 0, largestWorst = 0;
  size_t largest = 0;
  for (const Source& source : sources) {
    std::vector<double> drops, inspects;
    bool loaded = true;
    for (int r = 0; r < repeats && loaded; ++r)
      loaded = DropEveryPage(loader, source, drops, inspects);
    if (!loaded) continue;
    const double worst = *std::max_element(drops.begin(), drops.end());
    std::string shown = source.name;
    if (shown.size() > 60) shown = "..." + shown.substr(shown.size() - 57);
    std::printf("%-60s %8zu %6zu %11.3f %11.3f %11.3f\n", shown.c_str(), source.bytes.size(),
                drops.size() / static_cast<size_t>(repeats), bench::Median(inspects) * 1e3,
                bench::Median(drops) * 1e3, worst * 1e3);
    if (source.bytes.size() >= largest) {
      largest = source.bytes.size();
      largestMedian = bench::Median(drops);
      largestWorst = worst;
    }
  }
  const double target = 0.050;
  std::printf(
      "largest file (%zu bytes), one drop from bytes to slots applied: median %.3f ms, "
      "worst %.3f ms over every page and %d repeats; target well under %.0f ms: %s\n",
      largest, largestMedian * 1e3, largestWorst * 1e3, repeats, target * 1e3,
      largestWorst < target ? "met" : "MISSED");
  return largestWorst < target ? 0 : 1;
}
