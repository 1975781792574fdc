// edit: the plug-in's editor in a window of ours, with the settings of a map
// or state file; closing the window writes the edited settings back to it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/wide_text.h"
#include "maps/articulation_map.h"
#include "maps/map_file.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/factory_maps.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/host_window.h"
#include "tools/plughost/same_file.h"
#include "tools/plughost/settings_file.h"
#include "maps/state_bytes.h"
#include "tools/plughost/text_dialog.h"

namespace {

constexpr int32_t kParameterCount = 127;
constexpr int32_t kParamUpdateValue = 0x01;
constexpr int32_t kParamUpdateControl = 0x10;
constexpr size_t kPromptLength = 255;  // the plug-in's text buffer holds no more

// The host's menu for a parameter: three fixed values and a typed one.
enum MenuEntryNumber { kSetMinimum, kSetMiddle, kSetMaximum, kSeparator, kTypeValue, kEntryCount };

class EditSession final : public HostListener {
 public:
  EditSession(HostWindow& window, const std::string& title) : window_(window), title_(title) {}

  // The instance edited, and the settings it was loaded with (its menu
  // marks the controllers' values); null when editing is over.
  void SetPlugin(const RawPlugin* plugin, const PluginSettings& settings) {
    plugin_ = plugin;
    for (int i = 0; i < kControllerCount; ++i)
      values_[kControllerCcNumbers[i] - 1] = settings.controllers[i];
  }
  void EndPlugin() { plugin_ = nullptr; }

  // The hint and the messages go to the window's status line, whoever sent
  // them; every message reaches the console too, whole.
  void OnHint(const std::string& text) override { window_.ShowStatus(text); }
  void OnMessage(const std::string& text) override {
    window_.ShowStatus(text);
    Print("%s\n", text.c_str());
    FlushOutput();
  }
  void OnParamChanged(int32_t index, int32_t value) override {
    if (index >= 0 && index < kParameterCount) values_[index] = value;
  }

  const HostMenuEntry* OnMenuEntry(int32_t index, int32_t entry) override {
    if (entry < 0 || entry >= kEntryCount) return nullptr;
    static const char* const kTexts[kEntryCount] = {"Set to 0", "Set to 64", "Set to 127", "-",
                                                    "Type a value..."};
    static const int32_t kValues[3] = {0, 64, 127};
    const int32_t current = index >= 0 && index < kParameterCount ? values_[index] : -1;
    menu_[entry] = {kTexts[entry], entry < 3 && kValues[entry] == current ? 2 : 0};
    return &menu_[entry];
  }

  void OnMenuChoice(int32_t index, int32_t entry) override {
    if (!plugin_ || index < 0 || index >= kParameterCount) return;
    int32_t value = 0;
    if (entry == kSetMinimum)
      value = 0;
    else if (entry == kSetMiddle)
      value = 64;
    else if (entry == kSetMaximum)
      value = 127;
    else if (entry == kTypeValue) {
      std::string text = std::to_string(values_[index]);
      if (!AskForText(window_.handle(), title_,
                      "Value of CC " + std::to_string(index + 1) + " (0 to 127)", text, 3))
        return;
      char* end = nullptr;
      const long typed = std::strtol(text.c_str(), &end, 10);
      if (end == text.c_str() || typed < 0 || typed > 127) {
        MessageBoxW(window_.handle(), L"Please type a whole number from 0 to 127.",
                    panel_text::Wide(title_).c_str(), MB_OK | MB_ICONWARNING);
        return;
      }
      value = static_cast<int32_t>(typed);
    } else {
      return;
    }
    // As a host changes a parameter: through the plug-in, which sends it
    // and redraws its control.
    values_[index] = value;
    plugin_->ProcessParam(index, value, kParamUpdateValue | kParamUpdateControl);
  }

  // Asked again, with what was typed, until the plug-in can take it as it
  // is or the user cancels.
  bool OnPromptText(const std::string& caption, std::string& text) override {
    for (;;) {
      if (!AskForText(window_.handle(), title_, caption, text, kPromptLength)) return false;
      const std::string problem = PromptAnswerProblem(text);
      if (problem.empty()) return true;
      MessageBoxW(window_.handle(), panel_text::Wide(problem + ".").c_str(),
                  panel_text::Wide(title_).c_str(), MB_OK | MB_ICONWARNING);
    }
  }

 private:
  HostWindow& window_;
  std::string title_;
  const RawPlugin* plugin_ = nullptr;
  int32_t values_[kParameterCount] = {};
  HostMenuEntry menu_[kEntryCount] = {};
};

}  // namespace

int EditCommand(const CommonOptions& options, const MapChoice& choice, const std::string& path,
                const std::string& out, double closeAfterSeconds) {
  // An existing file is saved back as what it holds, a map or a state (the
  // content decides, as for any settings file); a new one, or OUT, as its
  // extension says, a state for .state and a map otherwise.
  std::string error;
  std::vector<uint8_t> state = EncodeState(PluginSettings{});
  // A factory map is there to read, and has no file to save back to.
  const bool factory = IsFactoryArgument(path);
  const bool exists = FileExists(path) || factory || !out.empty();
  const std::string& savePath = out.empty() ? path : out;
  bool asState = HasExtension(savePath, ".state");
  std::string opened = exists ? "a " : "new ";
  if (!out.empty())
    if (const int refused =
            RefuseOutputOverInput(options, "edit", {{"settings", path}}, {{"output", out}}))
      return refused;
  if (!exists && (!choice.bank.empty() || !choice.pick.empty()))
    return Fail(kExitUsage, path + " does not exist yet: " +
                                (choice.bank.empty() ? choice.pickOption : choice.bankOption) +
                                " chooses from another program's map");
  if (exists) {
    SettingsSource source;
    if (const int failed = ReadSettingsArgument(path, choice, source)) return failed;
    if ((source.kind == MapFileKind::ForeignMap || factory) && out.empty())
      return Fail(kExitUsage, path + " is " +
                                  (factory ? "a factory map" : MapFileKindName(source)) +
                                  ", which edit never writes over: give OUT.json or OUT.state "
                                  "to save the edited settings to");
    if (out.empty()) asState = source.kind == MapFileKind::OurState;
    if (!out.empty()) opened = MapFileKindName(source) + ", saved as a ";
    state = std::move(source.state);
  }
  const char* const kind = asState ? "state" : "map";

  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);

  const std::string name = path.substr(FolderOf(path).size());
  HostWindow window;
  if (!window.Create("plughost - " + name, HostWindow::Kind::kWorking, error))
    return Fail(kExitPlugin, error);
  EditSession session(window, "plughost - " + name);
  PlugHost host(&session);
  std::vector<uint8_t> saved;
  {
    PluginInstance instance(*library, &host);
    if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
    PluginSettings loaded;
    if (!RoundTripThroughPlugin(instance, state, saved, loaded, error))
      return Fail(kExitPlugin, error);
    session.SetPlugin(&instance.plugin(), loaded);
    if (!window.ShowEditor(instance.plugin()))
      PrintError("plughost: warning: the plug-in has no editor window\n");
    Print("Editing %s (%s%s); close the window to save%s.\n", path.c_str(), opened.c_str(), kind,
          out.empty() ? "" : (" to " + out).c_str());
    FlushOutput();
    // The editor goes back to the plug-in before our window is destroyed,
    // which would otherwise destroy it as a child.
    window.onClose = [&] { window.HideEditor(instance.plugin()); };
    if (closeAfterSeconds > 0) window.CloseAfter(closeAfterSeconds);
    window.RunUntilClosed();
    session.EndPlugin();
    if (!instance.SaveState(saved, error)) return Fail(kExitPlugin, error);
  }
  if (asState) {
    // The plug-in's own bytes, as map-to-state writes them.
    if (!WriteFileAtomically(savePath, saved, error)) return Fail(kExitBadInput, error);
  } else {
    PluginSettings edited;
    if (!DecodeState(saved, edited, error))
      return Fail(kExitPlugin, "the plug-in saved a state this host cannot read: " + error);
    std::string text;
    MapError problem;
    if (!FormatArticulationMap(edited, text, problem))
      return Fail(kExitBadInput, "the edited settings cannot be written as a map: " +
                                     problem.field + ": " + problem.message);
    if (!WriteFileAtomically(savePath, text, error)) return Fail(kExitBadInput, error);
  }
  Print("Saved %s (%s)\n", savePath.c_str(), kind);
  return kExitOk;
}
