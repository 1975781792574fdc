// The subcommands of plughost. Each returns the process exit status and
// reports its own errors on stderr as "plughost: <what>".
#pragma once

#include <string>

enum ExitStatus : int {
  kExitOk = 0,
  kExitBadInput = 1,  // an input file is wrong, or an output cannot be written
  kExitUsage = 2,     // the command line is wrong
  kExitPlugin = 3,    // the DLL cannot be loaded or made no instance
};

// Prints "plughost: " and the text to stderr; returns `status`.
int Fail(int status, const std::string& text);

struct CommonOptions {
  std::string dll;  // absolute path of the plug-in DLL
};

int DescribeCommand(const CommonOptions& options);
int MapToStateCommand(const CommonOptions& options, const std::string& map,
                      const std::string& state);
int StateToMapCommand(const CommonOptions& options, const std::string& state,
                      const std::string& map);
int RenderCommand(const CommonOptions& options, const std::string& settings,
                  const std::string& input, const std::string& output);
int DumpMidiCommand(const std::string& file, int limit);
int EditCommand(const CommonOptions& options, const std::string& map, double closeAfterSeconds);
int ScreenshotCommand(const CommonOptions& options, const std::string& settings,
                      const std::string& folder);
