// describe: what a host sees of a new instance, and what it sends.
#include <cstdio>
#include <utility>

#include "editor/wide_text.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/midi_text.h"
#include "tools/plughost/plugin_instance.h"
#include "tools/plughost/version_info.h"

namespace {

class PrintingListener final : public HostListener {
 public:
  size_t sent = 0;
  void OnMidi(uint32_t message) override {
    ++sent;
    Print("    %s\n", DescribeMessage(message).c_str());
  }
  void OnMessage(const std::string& text) override {
    Print("    host message: %s\n", text.c_str());
  }
  void OnHint(const std::string& text) override { Print("    hint: %s\n", text.c_str()); }
};

}  // namespace

int DescribeCommand(const CommonOptions& options) {
  std::string error;
  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);
  PrintingListener listener;
  PlugHost host(&listener);
  const std::string version = FileVersionText(options.dll);
  Print("Loaded %s\nVersion %s\n\nCreating an instance (host tag 1); it sends:\n",
        options.dll.c_str(),
        version.empty() ? "unknown (the DLL has no version resource)" : version.c_str());
  {
    PluginInstance instance(*library, &host);
    if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
    const RawPlugin& plugin = instance.plugin();
    const int32_t* words = plugin.descriptorWords();
    Print("\nDescriptor (%d words at %p):\n", 38, static_cast<const void*>(words));
    Print("  interface version  %d\n", words[0]);
    // The descriptor's names are texts of the host interface.
    for (const auto& [label, word] : {std::pair{"long name ", 1}, std::pair{"short name", 2}})
      Print("  %s         \"%s\"\n", label,
            panel_text::Utf8FromSystemCodePage(reinterpret_cast<const char*>(words[word])).c_str());
    Print("  flags              0x%06X\n", static_cast<unsigned>(words[3]));
    Print("  parameters         %d\n", words[4]);
    int nonZero = 0;
    for (int i = 5; i < 38; ++i) nonZero += words[i] != 0;
    Print("  words 5..37        %s\n", nonZero ? "NOT all zero" : "all zero");
    Print("Host tag word        %d\n", plugin.hostTagWord());
    Print("Editor window        %s\n", plugin.editorWindow() ? "created, hidden" : "none");

    Print("\nPlayback starts (Dispatch 12, 1); it sends:\n");
    plugin.Dispatch(12, 0, 1);
    Print("\nPlayback stops (Dispatch 12, 0); it sends:\n");
    const size_t before = listener.sent;
    plugin.Dispatch(12, 0, 0);
    if (listener.sent == before) Print("    nothing\n");
  }
  Print("\nInstance destroyed.\n");
  return kExitOk;
}
