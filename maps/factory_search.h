// Finding factory maps (factory_library.h) by the words of their names, as
// plughost's factory command and its factory:NAME settings take them. Names
// compare as name_matching.h folds them: ASCII case and blanks aside, a
// hyphen for a dash.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The maps, in menu order, whose names contain every word of `words`
// (split at blanks); every map for none.
std::vector<size_t> FactoryMapsWithWords(const std::string& words);

// The one map `name` stands for: the map of that whole name, else the one
// whose name holds all its words. False when none or several do, with
// `error` naming the closest candidates (those sharing the most words).
bool FindFactoryMap(const std::string& name, size_t& index, std::string& error);
