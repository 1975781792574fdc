#include "tools/plughost/progress_line.h"

#include "maps/counted.h"

namespace {
constexpr uint64_t kFirstAfterMs = 1000;
constexpr uint64_t kIntervalMs = 250;
}  // namespace

void ProgressLine::Update(size_t done, size_t total, uint64_t elapsedMs) {
  if (!out_ || elapsedMs < kFirstAfterMs || (drawn_ && elapsedMs - lastMs_ < kIntervalMs)) return;
  const unsigned percent = total ? static_cast<unsigned>(100.0 * done / total) : 0;
  width_ = std::fprintf(out_, "\r%s: %u%% (%llu of %s)", what_, percent,
                        static_cast<unsigned long long>(done), Counted(total, "event").c_str()) -
           1;
  std::fflush(out_);
  drawn_ = true;
  lastMs_ = elapsedMs;
}

void ProgressLine::Finish() {
  if (!drawn_) return;
  std::fprintf(out_, "\r%*s\r", width_, "");
  std::fflush(out_);
  drawn_ = false;
}
