// Whether two paths lead to one file, so that no command writes over one
// of its own inputs, whatever path the user gave for each.
#pragma once

#include <string>
#include <vector>

// True when both paths name one file. Where both exist they are compared by
// the file system's identity of the file, so a relative path, `..`, another
// case of the name, a symbolic or a hard link all lead to it; where one does
// not exist yet, by their full paths, ignoring case as Windows does.
bool SameFile(const std::string& a, const std::string& b);

// A file a command reads or writes, and what its messages call it.
struct RoleFile {
  const char* role;  // "input", "settings", "output", "picture", ...
  std::string path;  // empty: not given
};

// Refuses an output that is one of the inputs, another output, or whose
// temporary (file_io.h) is an input; the message names both files. Called
// before a command reads anything. The plug-in DLL counts as an input of
// every command. Returns kExitOk, or kExitUsage once the message is out.
struct CommonOptions;
int RefuseOutputOverInput(const CommonOptions& options, const std::string& command,
                          const std::vector<RoleFile>& inputs,
                          const std::vector<RoleFile>& outputs);
