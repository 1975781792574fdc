// What a map file is, in the words every reader of one shares (the panel's
// loader, plughost, the plug-in's file reading), without the settings
// model: the kinds map_reading.h tells apart, and the largest file read.
#pragma once

#include <cstddef>
#include <string>

// FactoryMap is no file's kind: the panel's choice of a built-in map, which
// loads as another program's map does (map_loading.h).
enum class MapFileKind { OurMap, OurState, ForeignMap, FactoryMap };

// No real map comes near this: the largest are below a megabyte.
constexpr size_t kMaxMapFileBytes = 16u << 20;

// Why a file of `size` bytes is not read: "17000000 bytes is larger than
// any map (at most 16777216 bytes)". For readers that check the size
// before they read it.
std::string TooLargeProblem(unsigned long long size);
