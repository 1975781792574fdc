// What a command cost the process, for benchmarks: `plughost --stats`.
#pragma once

// Prints to stderr one line with the seconds since `startCounter` (a
// QueryPerformanceCounter value) and the process's peak working set and
// peak pagefile usage (committed private memory), in MB.
void PrintProcessStats(long long startCounter);
