// Pairs of slots given by hand for retarget: "FROM=TO" on the command line,
// or a JSON object of them in a file ({"Staccato": "Short", "3": 4}). Each
// side is a slot number 1..16 or a slot's name; tools/render/slot_pairing.h
// resolves them against the two maps.
#pragma once

#include <string>
#include <utility>
#include <vector>

using SlotPairList = std::vector<std::pair<std::string, std::string>>;

// "3=Short" as its two sides; false when there is no '=' or a side is empty.
bool ParseSlotPair(const std::string& text, std::pair<std::string, std::string>& pair);

// A JSON object whose keys are FROM sides and whose values are TO sides
// (strings, or whole numbers 1..16), in file order; false with a message
// for anything else.
bool ParseSlotPairFile(const std::string& json, SlotPairList& pairs, std::string& error);
