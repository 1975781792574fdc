#include "tools/plughost/progress_line.h"

#include "maps/counted.h"

namespace {
constexpr uint64_t kFirstAfterMs = 1000;
constexpr uint64_t kIntervalMs = 250;
}  // namespace

void ProgressLine::Update(size_t done, size_t total, uint64_t elapsedMs) {
  if (!write_ || elapsedMs < kFirstAfterMs || (drawn_ && elapsedMs - lastMs_ < kIntervalMs)) return;
  const unsigned percent = total ? static_cast<unsigned>(100.0 * done / total) : 0;
  const std::string line = std::string(what_) + ": " + std::to_string(percent) + "% (" +
                           std::to_string(done) + " of " + Counted(total, "event") + ")";
  write_("\r" + line);
  width_ = static_cast<int>(line.size());
  drawn_ = true;
  lastMs_ = elapsedMs;
}

void ProgressLine::Finish() {
  if (!drawn_) return;
  write_("\r" + std::string(static_cast<size_t>(width_), ' ') + "\r");
  drawn_ = false;
}
