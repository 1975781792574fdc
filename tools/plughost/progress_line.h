// A progress line for long work, meant for a terminal: first drawn once the
// work has taken a second, redrawn at most four times a second, each time
// over itself, and wiped when the work is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

class ProgressLine {
 public:
  using Writer = std::function<void(const std::string&)>;
  // Draws through `write` (plughost's console text), or never without one.
  ProgressLine(Writer write, const char* what) : write_(std::move(write)), what_(what) {}
  ~ProgressLine() { Finish(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // `done` of `total` after `elapsedMs` milliseconds of work.
  void Update(size_t done, size_t total, uint64_t elapsedMs);
  void Finish();

 private:
  Writer write_;
  const char* what_;
  bool drawn_ = false;
  uint64_t lastMs_ = 0;
  int width_ = 0;  // of the line last drawn
};
