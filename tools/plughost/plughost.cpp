// plughost: a small host of our own. Loads the plug-in DLL through its
// export and drives it only through the operation table, as a music host
// does. This file holds the command line; each command has its own file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/wide_text.h"
#include "maps/slot_pair_list.h"
#include "maps/text_file.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/factory_maps.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/process_stats.h"
#include "tools/render/render_session.h"

namespace {

const char kUsage[] =
    "usage: plughost [--dll PATH] COMMAND [ARGUMENTS]\n"
    "\n"
    "Drives the articulation switcher plug-in as a music host does.\n"
    "\n"
    "commands (SETTINGS, MAP and STATE: a map (JSON), a state, or another program's\n"
    "map that import reads, with --bank and --pick as there; the content decides):\n"
    "  map-to-state MAP STATE    convert settings to the plug-in's binary state, by\n"
    "                            loading them into the plug-in and saving\n"
    "  state-to-map STATE MAP    convert settings (a state of any version the plug-in\n"
    "                            reads) to an articulation map\n"
    "  render SETTINGS IN OUT    play the MIDI file IN through the plug-in with the\n"
    "                            settings; note channels 1..16\n"
    "                            are the colours 0..15. Writes what the plug-in sends\n"
    "                            to the MIDI file OUT and prints a summary\n"
    "  colour SETTINGS IN OUT    the reverse: read each note's articulation in the\n"
    "                            keyswitched MIDI file IN from the switching messages\n"
    "                            before it; write OUT with\n"
    "                            note channels 1..16 as the colours and the switching\n"
    "                            messages removed, and print a summary (with where the\n"
    "                            guessed notes stand); --strict makes a guessed note\n"
    "                            an error\n"
    "  retarget FROM TO IN OUT   colour IN with the map FROM and render it with the map\n"
    "                            TO in one pass. Slots pair by name when both maps name\n"
    "                            their slots, else by UACC, else by icon; --match\n"
    "                            numbers pairs slot k with slot k. --pair FROM=TO\n"
    "                            (repeatable; a number or a name each side) and\n"
    "                            --pairs FILE (a JSON object of such pairs) win;\n"
    "                            --fallback N plays slot N for slots without a\n"
    "                            partner; --bank/--pick choose FROM's bank and\n"
    "                            articulations, --to-bank/--to-pick TO's; --strict\n"
    "                            as for colour\n"
    "  render, colour and retarget take --picture FILE.png: a piano roll of the\n"
    "                            result, notes in their slots' colours\n"
    "  render and retarget take --pan N and --volume N (0..127): the pan and volume\n"
    "                            the host reports before playback (default 64, the\n"
    "                            centre, and 100)\n"
    "  render and retarget take --compensate: each note of a slot with a latency\n"
    "                            starts that much earlier, its note-off where it was;\n"
    "                            colour --compensate moves such notes back later\n"
    "  render and retarget take --lead MS (0..100): each note's switching messages\n"
    "                            go MS milliseconds (at least a tick; 0: one tick)\n"
    "                            before it\n"
    "  dump-midi FILE [--limit N]\n"
    "                            print a MIDI file readably (time, message, note names)\n"
    "  edit SETTINGS [OUT] [--close-after SECONDS]\n"
    "                            open the plug-in's editor on the settings; closing\n"
    "                            the window saves them back as what they were (a new\n"
    "                            file or OUT: a state if it ends in .state, else a\n"
    "                            map). Another program's map needs OUT.\n"
    "                            --close-after closes it by itself, for scripts\n"
    "  screenshot SETTINGS DIR   write editor-articulation.png, editor-controllers.png\n"
    "                            and editor-settings.png of the editor to DIR\n"
    "  describe                  print what a host sees of a new instance\n"
    "  import FILE OUT [--bank NAME] [--pick LIST] [--list] [--strict]\n"
    "                            read another program's map (.reabank, .expressionmap,\n"
    "                            .plist, .doricolib, Universal Definition .yaml, Studio\n"
    "                            One .keyswitch; the content decides) and write it as a\n"
    "                            map (OUT.json) or the plug-in's state (OUT.state).\n"
    "                            --bank chooses one bank of several by name, number or\n"
    "                            GROUP/NAME (\"Strings Chamber/01 Violins\"), --pick up\n"
    "                            to 16 articulations by number, range or name\n"
    "                            (\"2-8,Legato,12\"; each once), as --list numbers them;\n"
    "                            --list prints what the file holds (with --bank that\n"
    "                            bank, with --pick the slots) and writes nothing,\n"
    "                            --strict makes every warning an error\n"
    "  export MAP OUT            write the settings as OUT.reabank,\n"
    "                            OUT.expressionmap, OUT.plist or OUT.keyswitch\n"
    "  factory [WORDS...]        list the built-in maps whose names hold every word\n"
    "                            (case and blanks aside, a hyphen for a dash), each\n"
    "                            with a tab and the file it was converted from;\n"
    "                            community maps, which nobody checked, end in\n"
    "                            \" (community)\". factory:NAME stands for one of them\n"
    "                            wherever settings are taken:\n"
    "                            render factory:\"Spitfire Masse Brass\" IN OUT\n"
    "\n"
    "options:\n"
    "  --dll PATH                the plug-in DLL (default: QuindleVelmora.dll beside\n"
    "                            plughost.exe)\n"
    "  --stats                   at the end, print the time taken and the peak memory\n"
    "                            of the process to stderr\n"
    "  --version                 print plughost's version\n"
    "  -h, --help                show this text\n"
    "\n"
    "Output files are written whole or not at all, and never over an input (edit\n"
    "saves back the map it opens). Exit status: 0 success, 1 bad input or\n"
    "unwritable output, 2 bad command line (an output that is an input too),\n"
    "3 the plug-in could not be loaded or used.\n";

std::string DefaultDllPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return FolderOf(panel_text::Utf8(path)) + "QuindleVelmora.dll";
}

// The arguments as UTF-8, from the wide command line: a name beyond the
// system's code page arrives whole, never as a look-alike ("O" for "Ω").
// False for an argument that is no Unicode text (a lone surrogate), which
// no file name plughost writes may hold.
bool Utf8Arguments(int argc, wchar_t** argv, std::vector<std::string>& args, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring wide = argv[i];
    std::string text = panel_text::Utf8(wide);
    if (panel_text::Wide(text) != wide) {
      error = "argument " + std::to_string(i) + " (\"" + text +
              "\") holds a character that is not Unicode text (a lone surrogate)";
      return false;
    }
    args.push_back(std::move(text));
  }
  return true;
}

int UsageError(const std::string& text) {
  PrintError("plughost: %s\n(plughost --help lists the commands)\n", ReadableText(text).c_str());
  return kExitUsage;
}

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0';
}

// A MIDI data byte written as plain digits.
bool ParseDataByte(const std::string& text, int& value) {
  if (text.empty() || text.size() > 3) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= 127;
}

// The options that belong to some commands only; any other command refuses
// them as it refuses an option nobody knows, rather than ignore them.
struct CommandOption {
  const char* option;
  const char* commands;  // each between spaces
};
// Every command that takes a settings file takes any map import reads.
const char kSettingsCommands[] =
    " map-to-state state-to-map render colour retarget edit screenshot import export ";
const CommandOption kCommandOptions[] = {
    {"--limit", " dump-midi "},
    {"--close-after", " edit "},
    {"--bank", kSettingsCommands},
    {"--pick", kSettingsCommands},
    {"--list", " import "},
    {"--strict", " colour retarget import "},
    {"--picture", " render colour retarget "},
    {"--match", " retarget "},
    {"--fallback", " retarget "},
    {"--pair", " retarget "},
    {"--pairs", " retarget "},
    {"--to-bank", " retarget "},
    {"--to-pick", " retarget "},
    {"--pan", " render retarget "},
    {"--volume", " render retarget "},
    {"--compensate", " render colour retarget "},
    {"--lead", " render retarget "},
};

struct Arguments {
  std::string command;
  std::vector<std::string> positional;
  int limit = -1;
  double closeAfter = 0;
  std::string bank, pick;
  bool list = false, strict = false;
  bool stats = false;
  std::string picture;
  RetargetOptions retarget;
  HostMix mix;
  TimingOptions timing;
  std::vector<std::string> commandOptions;  // given, of kCommandOptions
};

const char kCommandNames[] =
    " map-to-state state-to-map render colour retarget dump-midi edit screenshot describe import "
    "export factory ";

// "a", "a and b", "a, b and c" from " a b c ".
std::string Listed(const std::string& spaced) {
  std::vector<std::string> words;
  for (size_t at = 1; at < spaced.size(); at = spaced.find(' ', at) + 1)
    words.push_back(spaced.substr(at, spaced.find(' ', at) - at));
  std::string out;
  for (size_t i = 0; i < words.size(); ++i)
    out += (i == 0 ? "" : i + 1 == words.size() ? " and " : ", ") + words[i];
  return out;
}

// An option given to a known command that does not take it; empty: none.
std::string MisplacedOption(const Arguments& args) {
  const std::string command = " " + args.command + " ";
  if (std::string(kCommandNames).find(command) == std::string::npos) return "";
  for (const std::string& given : args.commandOptions)
    for (const CommandOption& known : kCommandOptions)
      if (given == known.option && std::string(known.commands).find(command) == std::string::npos)
        return "unknown option " + given + " for " + args.command + " (it belongs to " +
               Listed(known.commands) + ")";
  return "";
}

int RunCommand(const CommonOptions& options, const Arguments& args) {
  const auto& p = args.positional;
  auto expect = [&](size_t count, const char* shape) {
    if (p.size() == count) return true;
    UsageError(args.command + " takes " + shape);
    return false;
  };

  const MapChoice choice{args.bank, args.pick};
  if (args.command == "map-to-state")
    return expect(2, "MAP STATE [--bank NAME] [--pick LIST]")
               ? MapToStateCommand(options, choice, p[0], p[1])
               : kExitUsage;
  if (args.command == "state-to-map")
    return expect(2, "STATE MAP [--bank NAME] [--pick LIST]")
               ? StateToMapCommand(options, choice, p[0], p[1])
               : kExitUsage;
  if (args.command == "render")
    return expect(3,
                  "SETTINGS INPUT.mid OUTPUT.mid [--bank NAME] [--pick LIST] [--picture FILE.png] "
                  "[--pan N] [--volume N] [--compensate] [--lead MS]")
               ? RenderCommand(options, choice, args.mix, args.timing, p[0], p[1], p[2],
                               args.picture)
               : kExitUsage;
  if (args.command == "colour")
    return expect(3,
                  "SETTINGS INPUT.mid OUTPUT.mid [--bank NAME] [--pick LIST] [--strict] "
                  "[--picture FILE.png] [--compensate]")
               ? ColourCommand(options, choice, args.timing.compensate, p[0], p[1], p[2],
                               args.picture, args.strict)
               : kExitUsage;
  if (args.command == "retarget")
    return expect(4,
                  "FROM TO INPUT.mid OUTPUT.mid [--match names|numbers] [--pair FROM=TO] "
                  "[--pairs FILE] [--fallback N] [--bank NAME] [--pick LIST] [--to-bank NAME] "
                  "[--to-pick LIST] [--strict] "
                  "[--picture FILE.png] [--pan N] [--volume N] [--compensate] [--lead MS]")
               ? RetargetCommand(options, choice, args.retarget, args.mix, args.timing, p[0], p[1],
                                 p[2], p[3], args.picture)
               : kExitUsage;
  if (args.command == "dump-midi")
    return expect(1, "FILE [--limit N]") ? DumpMidiCommand(p[0], args.limit) : kExitUsage;
  if (args.command == "edit") {
    if (p.size() == 2) return EditCommand(options, choice, p[0], p[1], args.closeAfter);
    return expect(1, "SETTINGS [OUT] [--bank NAME] [--pick LIST] [--close-after SECONDS]")
               ? EditCommand(options, choice, p[0], "", args.closeAfter)
               : kExitUsage;
  }
  if (args.command == "screenshot")
    return expect(2, "SETTINGS FOLDER [--bank NAME] [--pick LIST]")
               ? ScreenshotCommand(options, choice, p[0], p[1])
               : kExitUsage;
  if (args.command == "describe")
    return expect(0, "no arguments") ? DescribeCommand(options) : kExitUsage;
  if (args.command == "import") {
    if (p.size() == 1 && args.list)
      return ImportCommand(options, choice, p[0], "", true, args.strict);
    return expect(2, "FILE OUT [--bank NAME] [--pick LIST] [--list] [--strict]")
               ? ImportCommand(options, choice, p[0], p[1], args.list, args.strict)
               : kExitUsage;
  }
  if (args.command == "factory") return FactoryCommand(p);
  if (args.command == "export")
    return expect(2, "MAP OUT [--bank NAME] [--pick LIST]")
               ? ExportCommand(options, choice, p[0], p[1])
               : kExitUsage;
  return UsageError("unknown command '" + args.command + "'");
}

}  // namespace

int Fail(int status, const std::string& text) {
  // Messages quote file names and contents; raw bytes stay off the terminal.
  PrintError("plughost: %s\n", ReadableText(text).c_str());
  return status;
}

int wmain(int argc, wchar_t** argv) {
  LARGE_INTEGER start{};
  QueryPerformanceCounter(&start);
  std::vector<std::string> given;
  std::string error;
  if (!Utf8Arguments(argc, argv, given, error)) return UsageError(error);
  CommonOptions options;
  options.dll = DefaultDllPath();
  Arguments args;
  const size_t count = given.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string arg = given[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= count) return false;
      out = given[++i];
      return true;
    };
    std::string text;
    double number = 0;
    for (const CommandOption& known : kCommandOptions)
      if (arg == known.option) args.commandOptions.push_back(arg);
    if (arg == "--help" || arg == "-h") {
      WriteText(Stream::kOut, kUsage);
      return kExitOk;
    } else if (arg == "--version") {
      Print("plughost %s\n", ARTSW_VERSION);
      return kExitOk;
    } else if (arg == "--stats") {
      args.stats = true;
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
    } else if (arg == "--bank") {
      if (!value(args.bank) || args.bank.empty())
        return UsageError("--bank needs a bank's name or number");
    } else if (arg == "--pick" || arg == "--to-pick") {
      std::string& pick = arg == "--pick" ? args.pick : args.retarget.to.pick;
      if (!value(pick) || pick.empty())
        return UsageError(arg + " needs a list of articulations, such as 2-8,Legato,12");
    } else if (arg == "--picture") {
      if (!value(args.picture) || args.picture.size() < 5 || !HasExtension(args.picture, ".png"))
        return UsageError("--picture needs a file name ending in .png");
    } else if (arg == "--match") {
      if (!value(text) || (text != "names" && text != "numbers"))
        return UsageError("--match takes 'names' (the default) or 'numbers'");
      args.retarget.matchNumbers = text == "numbers";
    } else if (arg == "--pair") {
      std::pair<std::string, std::string> pair;
      if (!value(text) || !ParseSlotPair(text, pair))
        return UsageError("--pair needs FROM=TO, each a slot number 1..16 or a slot's name");
      args.retarget.pairs.push_back(pair);
    } else if (arg == "--pairs") {
      if (!value(args.retarget.pairsFile) || args.retarget.pairsFile.empty())
        return UsageError("--pairs needs a JSON file of pairs");
    } else if (arg == "--to-bank") {
      if (!value(args.retarget.to.bank) || args.retarget.to.bank.empty())
        return UsageError("--to-bank needs a bank's name or number");
    } else if (arg == "--fallback") {
      if (!value(text) || !ParseNumber(text, number) || number < 1 || number > 16 ||
          number != static_cast<int>(number))
        return UsageError("--fallback needs a slot number 1..16");
      args.retarget.fallback = static_cast<int>(number) - 1;
    } else if (arg == "--pan" || arg == "--volume") {
      int& level = arg == "--pan" ? args.mix.pan : args.mix.volume;
      if (!value(text) || !ParseDataByte(text, level))
        return UsageError(arg + " needs a value 0..127" +
                          (arg == "--pan" ? " (64 is the centre)" : "") +
                          (text.empty() ? "" : ", not '" + text + "'"));
    } else if (arg == "--compensate") {
      args.timing.compensate = true;
    } else if (arg == "--lead") {
      if (!value(text) || !ParseNumber(text, number) || number < 0 || number > 100 ||
          number != static_cast<int>(number))
        return UsageError("--lead needs a whole number of milliseconds 0..100" +
                          (text.empty() ? std::string() : ", not '" + text + "'"));
      args.timing.leadMs = static_cast<int>(number);
    } else if (arg == "--list") {
      args.list = true;
    } else if (arg == "--strict") {
      args.strict = args.retarget.strict = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else if (args.command.empty()) {
      args.command = arg;
    } else {
      args.positional.push_back(arg);
    }
  }
  if (args.command.empty()) return UsageError("no command given");
  const std::string misplaced = MisplacedOption(args);
  if (!misplaced.empty()) return UsageError(misplaced);

  const int status = RunCommand(options, args);
  if (args.stats) PrintProcessStats(start.QuadPart);
  return status;
}
