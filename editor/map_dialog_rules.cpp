#include "editor/map_dialog_rules.h"

namespace {

std::string Patterns(const std::vector<std::string>& extensions) {
  std::string patterns;
  for (const std::string& extension : extensions)
    patterns += (patterns.empty() ? "*" : ";*") + extension;
  return patterns;
}

}  // namespace

std::vector<DialogFileType> LoadDialogTypes(const std::vector<MapFileType>& types) {
  std::vector<std::string> all;
  for (const MapFileType& type : types)
    all.insert(all.end(), type.extensions.begin(), type.extensions.end());
  std::string listed;
  for (const std::string& extension : all) listed += (listed.empty() ? "" : ", ") + extension;
  std::vector<DialogFileType> lines = {{"All maps (" + listed + ")", Patterns(all)}};
  for (const MapFileType& type : types) lines.push_back({type.name, Patterns(type.extensions)});
  lines.push_back({"All files", "*.*"});
  return lines;
}

std::vector<DialogFileType> SaveDialogTypes(const std::vector<MapFileType>& types) {
  std::vector<DialogFileType> lines;
  for (const MapFileType& type : types) lines.push_back({type.name, Patterns(type.extensions)});
  return lines;
}

std::string ExtensionToAdd(const std::string& extension, size_t typeIndex,
                           const std::vector<MapFileType>& types) {
  for (const MapFileType& type : types)
    for (const std::string& known : type.extensions)
      if (extension == known) return "";
  if (typeIndex < 1 || typeIndex > types.size() || types[typeIndex - 1].extensions.empty())
    return "";
  return types[typeIndex - 1].extensions.front();
}

std::string FilesLeftAlone(size_t dropped) {
  if (dropped <= 1) return "";
  const size_t others = dropped - 1;
  return std::to_string(others) + " more file" + (others > 1 ? "s were" : " was") +
         " dropped and left alone: one map is loaded at a time";
}
