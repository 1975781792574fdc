// What `plughost import` writes for each bank and page of a map file, as
// the state the plug-in should save after loading it over another state.
// Kept apart from the plug-in's headers: the map library has a settings
// model of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ImportedPage {
  int32_t bank = 0;  // 0-based, as the file lists its banks
  int32_t page = 0;  // 0-based page of sixteen visible articulations
  // The state `before` with its sixteen slots replaced by what import
  // writes for --bank bank+1 and --pick of the page's articulations.
  std::vector<uint8_t> state;
};

// Every bank that can be imported and every page of it, in file order.
// The pick of a page is the numbers (from 1, hidden ones counted) of its
// sixteen visible articulations, as --list numbers them; a bank of sixteen
// or fewer is imported without a pick, as import takes it by default.
// Empty, with `error` set, when the file cannot be read or a page imported.
std::vector<ImportedPage> ImportedPages(const std::string& name, const std::string& text,
                                        const std::vector<uint8_t>& before, std::string& error);

// The first field in which two saved states differ, for failure output.
std::string StateDifference(const std::vector<uint8_t>& wanted, const std::vector<uint8_t>& got);

// The state `before` with its sixteen slots replaced by those of factory map
// `index`, read as plughost reads factory:NAME. Empty, with `error` set,
// when it cannot be read.
std::vector<uint8_t> FactoryMapState(size_t index, const std::vector<uint8_t>& before,
                                     std::string& error);
