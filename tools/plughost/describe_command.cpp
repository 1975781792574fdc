// describe: what a host sees of a new instance, and what it sends.
#include <cstdio>

#include "tools/plughost/commands.h"
#include "tools/plughost/midi_text.h"
#include "tools/plughost/plugin_instance.h"
#include "tools/plughost/version_info.h"

namespace {

class PrintingListener final : public HostListener {
 public:
  size_t sent = 0;
  void OnMidi(uint32_t message) override {
    ++sent;
    std::printf("    %s\n", DescribeMessage(message).c_str());
  }
  void OnMessage(const char* text) override { std::printf("    host message: %s\n", text); }
  void OnHint(const char* text) override { std::printf("    hint: %s\n", text); }
};

}  // namespace

int DescribeCommand(const CommonOptions& options) {
  std::string error;
  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);
  PrintingListener listener;
  PlugHost host(&listener);
  const std::string version = FileVersionText(options.dll);
  std::printf("Loaded %s\nVersion %s\n\nCreating an instance (host tag 1); it sends:\n",
              options.dll.c_str(),
              version.empty() ? "unknown (the DLL has no version resource)" : version.c_str());
  {
    PluginInstance instance(*library, &host);
    if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
    const RawPlugin& plugin = instance.plugin();
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
    const size_t before = listener.sent;
    plugin.Dispatch(12, 0, 0);
    if (listener.sent == before) std::printf("    nothing\n");
  }
  std::printf("\nInstance destroyed.\n");
  return kExitOk;
}
