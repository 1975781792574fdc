// screenshot: a PNG picture of each of the editor's three pages.
#include <cstdio>

#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/host_window.h"
#include "tools/plughost/same_file.h"
#include "tools/render/png_writer.h"
#include "tools/plughost/settings_file.h"
#include "maps/state_bytes.h"
#include "tools/plughost/window_capture.h"

namespace {

// Joined with the separator the folder already uses, so messages read naturally.
std::string PagePicturePath(const std::string& folder, int page) {
  const char separator = folder.find('/') != std::string::npos ? '/' : '\\';
  return folder + separator + "editor-" + kPageNames[page] + ".png";
}

}  // namespace

int ScreenshotCommand(const CommonOptions& options, const MapChoice& choice,
                      const std::string& settingsPath, const std::string& folder) {
  std::vector<RoleFile> pictures;
  for (int page = 0; page < 3; ++page)
    pictures.push_back({"picture", PagePicturePath(folder, page)});
  if (const int refused =
          RefuseOutputOverInput(options, "screenshot", {{"settings", settingsPath}}, pictures))
    return refused;
  SettingsSource source;
  if (const int failed = ReadSettingsArgument(settingsPath, choice, source)) return failed;
  const std::vector<uint8_t>& state = source.state;
  std::string error;
  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);
  PlugHost host(nullptr);

  // The settings as the plug-in holds them, whatever version the file had.
  PluginSettings settings;
  {
    PluginInstance instance(*library, &host);
    if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
    std::vector<uint8_t> saved;
    if (!RoundTripThroughPlugin(instance, state, saved, settings, error))
      return Fail(kExitPlugin, error);
  }
  if (!EnsureFolder(folder)) return Fail(kExitBadInput, "cannot create the folder " + folder);

  for (int page = 0; page < 3; ++page) {
    // The page shown is part of the state; a new instance per page takes it
    // on its first load whatever the preserve option says.
    settings.pageIndex = page;
    Picture picture;
    {
      PluginInstance instance(*library, &host);
      if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
      if (!instance.LoadState(EncodeState(settings), error)) return Fail(kExitPlugin, error);
      HostWindow window;
      if (!window.Create("plughost", HostWindow::Kind::kPicture, error))
        return Fail(kExitPlugin, error);
      HWND editor = window.ShowEditor(instance.plugin());
      const bool captured = editor && CaptureClientArea(editor, picture);
      window.HideEditor(instance.plugin());
      if (!editor) return Fail(kExitPlugin, "the plug-in has no editor window to picture");
      if (!captured) return Fail(kExitPlugin, "cannot read back the editor's pixels");
    }
    const std::string& path = pictures[page].path;
    if (!WriteFileAtomically(path, EncodePng(picture.width, picture.height, picture.rgb), error))
      return Fail(kExitBadInput, error);
    Print("Wrote %s (%d x %d, %s page)\n", path.c_str(), picture.width, picture.height,
          kPageNames[page]);
  }
  return kExitOk;
}
