// plughost: a small host of our own. Loads the plug-in DLL through its
// export and drives it only through the operation table, as a music host
// does.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/fruity_interface.h"
#include "tools/plughost/midi_text.h"
#include "tools/plughost/plugin_library.h"

namespace {

// A host that prints what the plug-in sends, as it arrives.
class ConsoleHost final : public PluginHost {
 public:
  bool echo = true;
  std::vector<uint32_t> sent;
  int32_t colour = 0;

  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t request, int32_t, intptr_t value) override {
    if (request == kHostNameText) return reinterpret_cast<intptr_t>("plughost");
    if (request == kHostShowMessage && value && echo)
      std::printf("    host message: %s\n", reinterpret_cast<const char*>(value));
    return 0;
  }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override {}
  void PLUG_CALL ShowHint(int32_t, const char* text) override {
    if (echo && text) std::printf("    hint: %s\n", text);
  }
  void PLUG_CALL EndVoice(int32_t, int32_t) override {}
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override { return colour; }
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override {
    sent.push_back(message);
    if (echo) std::printf("    %s\n", DescribeMessage(message).c_str());
  }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override {
    return 0;
  }
};

int Usage(FILE* out) {
  std::fprintf(out,
               "usage: plughost [--dll PATH] COMMAND\n"
               "commands:\n"
               "  describe   create an instance, print its descriptor and everything it sends\n"
               "             on construction and on a playback start, then destroy it\n"
               "options:\n"
               "  --dll PATH the plug-in DLL (default: QuindleVelmora.dll beside plughost)\n");
  return out == stdout ? 0 : 2;
}

std::string DefaultDllPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  const size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? "" : folder.substr(0, slash + 1);
  return folder + "QuindleVelmora.dll";
}

int Describe(const std::string& dllPath) {
  PluginLibrary library(dllPath);
  if (!library.loaded()) {
    std::fprintf(stderr, "plughost: cannot load the plug-in DLL %s\n", dllPath.c_str());
    return 3;
  }
  if (!library.hasFactory()) {
    std::fprintf(stderr, "plughost: %s has no CreatePlugInstance export\n", dllPath.c_str());
    return 3;
  }
  ConsoleHost host;
  std::printf("Loaded %s\n\nCreating an instance (host tag 1); it sends:\n", dllPath.c_str());
  void* object = library.Create(&host, 1);
  if (!object) {
    std::fprintf(stderr, "plughost: the plug-in did not create an instance\n");
    return 4;
  }
  RawPlugin plugin(object);
  const int32_t* words = plugin.descriptorWords();
  std::printf("\nDescriptor (%d words at %p):\n", 38, static_cast<const void*>(words));
  std::printf("  interface version  %d\n", words[0]);
  std::printf("  long name          \"%s\"\n", reinterpret_cast<const char*>(words[1]));
  std::printf("  short name         \"%s\"\n", reinterpret_cast<const char*>(words[2]));
  std::printf("  flags              0x%06X\n", static_cast<unsigned>(words[3]));
  std::printf("  parameters         %d\n", words[4]);
  int nonZero = 0;
  for (int i = 5; i < 38; ++i) nonZero += words[i] != 0;
  std::printf("  words 5..37        %s\n", nonZero ? "NOT all zero" : "all zero");
  std::printf("Host tag word        %d\n", plugin.hostTagWord());
  std::printf("Editor window        %s\n", plugin.editorWindow() ? "created, hidden" : "none");

  std::printf("\nPlayback starts (Dispatch 12, 1); it sends:\n");
  plugin.Dispatch(12, 0, 1);
  std::printf("\nPlayback stops (Dispatch 12, 0); it sends:\n");
  const size_t before = host.sent.size();
  plugin.Dispatch(12, 0, 0);
  if (host.sent.size() == before) std::printf("    nothing\n");
  plugin.Destroy();
  std::printf("\nInstance destroyed.\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dll = DefaultDllPath();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage(stdout);
    if (arg == "--dll") {
      if (++i >= argc) return Usage(stderr);
      dll = argv[i];
    } else {
      args.push_back(arg);
    }
  }
  if (args.empty()) return Usage(stderr);
  if (args[0] == "describe") return Describe(dll);
  std::fprintf(stderr, "plughost: unknown command '%s'\n", args[0].c_str());
  return Usage(stderr);
}
