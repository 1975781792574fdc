#include "maps/factory_search.h"

#include <algorithm>
#include <sstream>

#include "maps/counted.h"
#include "maps/factory_library.h"
#include "maps/name_matching.h"

namespace {

constexpr size_t kCandidatesShown = 8;

std::vector<std::string> FoldedWords(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(FoldedName(word));
  return words;
}

size_t WordsFound(const std::vector<std::string>& words, const std::string& foldedName) {
  return static_cast<size_t>(std::count_if(words.begin(), words.end(), [&](const std::string& w) {
    return foldedName.find(w) != std::string::npos;
  }));
}

std::string Listed(const std::vector<size_t>& maps) {
  std::string out;
  for (size_t i = 0; i < maps.size() && i < kCandidatesShown; ++i)
    out += std::string(i == 0 ? "" : ", ") + "\"" + FactoryMapAt(maps[i]).name + "\"";
  if (maps.size() > kCandidatesShown)
    out += " and " + std::to_string(maps.size() - kCandidatesShown) + " more";
  return out;
}

}  // namespace

std::vector<size_t> FactoryMapsWithWords(const std::string& words) {
  const std::vector<std::string> wanted = FoldedWords(words);
  std::vector<size_t> found;
  for (size_t i = 0; i < FactoryMapCount(); ++i)
    if (WordsFound(wanted, FoldedName(FactoryMapAt(i).name)) == wanted.size()) found.push_back(i);
  return found;
}

bool FindFactoryMap(const std::string& name, size_t& index, std::string& error) {
  const std::string folded = FoldedName(name);
  for (size_t i = 0; i < FactoryMapCount(); ++i)
    if (FoldedName(FactoryMapAt(i).name) == folded) {
      index = i;
      return true;
    }
  const std::vector<std::string> words = FoldedWords(name);
  const std::vector<size_t> all =
      words.empty() ? std::vector<size_t>{} : FactoryMapsWithWords(name);
  if (all.size() == 1) {
    index = all.front();
    return true;
  }
  const std::string quoted = "\"" + name + "\"";
  if (all.size() > 1) {
    error = quoted + " fits " + Counted(all.size(), "factory map") + ": " + Listed(all) +
            "; give more of the name";
    return false;
  }
  // The closest: those that share the most words, in menu order.
  size_t best = 0;
  std::vector<size_t> closest;
  for (size_t i = 0; i < FactoryMapCount(); ++i) {
    const size_t found = WordsFound(words, FoldedName(FactoryMapAt(i).name));
    if (found == 0 || found < best) continue;
    if (found > best) closest.clear();
    best = found;
    closest.push_back(i);
  }
  error = "no factory map is called " + quoted +
          (closest.empty() ? std::string(", and none shares a word with it")
                           : "; the closest: " + Listed(closest));
  return false;
}
