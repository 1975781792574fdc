// plughost: a small host of our own. Loads the plug-in DLL through its
// export and drives it only through the operation table, as a music host
// does. This file holds the command line; each command has its own file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/plughost/commands.h"
#include "tools/plughost/file_io.h"

namespace {

const char kUsage[] =
    "usage: plughost [--dll PATH] COMMAND [ARGUMENTS]\n"
    "\n"
    "Drives the articulation switcher plug-in as a music host does.\n"
    "\n"
    "commands:\n"
    "  map-to-state MAP STATE    convert an articulation map (JSON) to the plug-in's\n"
    "                            binary state, by loading it into the plug-in and saving\n"
    "  state-to-map STATE MAP    convert a saved state (any version the plug-in reads)\n"
    "                            to an articulation map\n"
    "  render SETTINGS IN OUT    play the MIDI file IN through the plug-in with the\n"
    "                            settings of a map or state file; note channels 1..16\n"
    "                            are the colours 0..15. Writes what the plug-in sends\n"
    "                            to the MIDI file OUT and prints a summary\n"
    "  dump-midi FILE [--limit N]\n"
    "                            print a MIDI file readably (time, message, note names)\n"
    "  edit MAP [--close-after SECONDS]\n"
    "                            open the plug-in's editor on a map (a new one if MAP\n"
    "                            does not exist); closing the window saves it back.\n"
    "                            --close-after closes it by itself, for scripts\n"
    "  screenshot SETTINGS DIR   write editor-articulation.png, editor-controllers.png\n"
    "                            and editor-settings.png of the editor to DIR\n"
    "  describe                  print what a host sees of a new instance\n"
    "\n"
    "options:\n"
    "  --dll PATH                the plug-in DLL (default: QuindleVelmora.dll beside\n"
    "                            plughost.exe)\n"
    "  --version                 print plughost's version\n"
    "  -h, --help                show this text\n"
    "\n"
    "Output files are written whole or not at all. Exit status: 0 success, 1 bad\n"
    "input or unwritable output, 2 bad command line, 3 the plug-in could not be\n"
    "loaded or used.\n";

std::string DefaultDllPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return FolderOf(path) + "QuindleVelmora.dll";
}

int UsageError(const std::string& text) {
  std::fprintf(stderr, "plughost: %s\n(plughost --help lists the commands)\n", text.c_str());
  return kExitUsage;
}

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0';
}

struct Arguments {
  std::string command;
  std::vector<std::string> positional;
  int limit = -1;
  double closeAfter = 0;
};

}  // namespace

int Fail(int status, const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "plughost: %s\n", text.c_str());
  return status;
}

int main(int argc, char** argv) {
  CommonOptions options;
  options.dll = DefaultDllPath();
  Arguments args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    double number = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == "--version") {
      std::printf("plughost %s\n", ARTSW_VERSION);
      return kExitOk;
    } else if (arg == "--dll") {
      if (!value(text)) return UsageError("--dll needs a path");
      options.dll = text;
    } else if (arg == "--limit") {
      if (!value(text) || !ParseNumber(text, number) || number < 0)
        return UsageError("--limit needs a number of events");
      args.limit = static_cast<int>(number);
    } else if (arg == "--close-after") {
      if (!value(text) || !ParseNumber(text, number) || number <= 0)
        return UsageError("--close-after needs a time in seconds");
      args.closeAfter = number;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else if (args.command.empty()) {
      args.command = arg;
    } else {
      args.positional.push_back(arg);
    }
  }
  if (args.command.empty()) return UsageError("no command given");

  const auto& p = args.positional;
  auto expect = [&](size_t count, const char* shape) {
    if (p.size() == count) return true;
    UsageError(args.command + " takes " + shape);
    return false;
  };

  if (args.command == "map-to-state")
    return expect(2, "MAP STATE") ? MapToStateCommand(options, p[0], p[1]) : kExitUsage;
  if (args.command == "state-to-map")
    return expect(2, "STATE MAP") ? StateToMapCommand(options, p[0], p[1]) : kExitUsage;
  if (args.command == "render")
    return expect(3, "SETTINGS INPUT.mid OUTPUT.mid") ? RenderCommand(options, p[0], p[1], p[2])
                                                      : kExitUsage;
  if (args.command == "dump-midi")
    return expect(1, "FILE [--limit N]") ? DumpMidiCommand(p[0], args.limit) : kExitUsage;
  if (args.command == "edit")
    return expect(1, "MAP [--close-after SECONDS]") ? EditCommand(options, p[0], args.closeAfter)
                                                    : kExitUsage;
  if (args.command == "screenshot")
    return expect(2, "SETTINGS FOLDER") ? ScreenshotCommand(options, p[0], p[1]) : kExitUsage;
  if (args.command == "describe")
    return expect(0, "no arguments") ? DescribeCommand(options) : kExitUsage;
  return UsageError("unknown command '" + args.command + "'");
}
