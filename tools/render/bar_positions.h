// Where bars and beats fall, from a file's division and its metre changes:
// for drawing bar lines and for naming a note's place as "bar:beat".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MetreChange {
  uint64_t tick = 0;
  int numerator = 4, denominatorPower = 2;  // 4/4 until the first change
};

// Keeps a time signature met at `tick`: a change at the same tick as the
// last replaces it. A denominator beyond 2^6 is held there, so bar lengths
// stay sane.
void AddMetre(std::vector<MetreChange>& metres, uint64_t tick, int numerator, int power);

class BarPositions {
 public:
  struct Segment {
    uint64_t tick;  // where the metre starts
    double length;  // ticks per bar
    double first;   // bars before it
    double beat;    // ticks per beat
  };

  // A metre change starts a new bar. SMPTE time counts as 120 beats per
  // minute.
  BarPositions(uint16_t division, std::vector<MetreChange> metres, uint64_t endTick);

  const std::vector<Segment>& segments() const { return segments_; }
  double count() const { return count_; }  // bars up to the end, at least 1
  // "12:3" (bar 12, beat 3, both from 1), or "12:3.5" between beats.
  std::string Where(uint64_t tick) const;

 private:
  std::vector<Segment> segments_;
  double count_ = 0;
};
