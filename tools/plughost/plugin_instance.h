// One plug-in object for the length of a scope, and its state moved in and
// out through a COM stream, as a host restores and saves a project.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/plughost/plug_host.h"
#include "tools/plughost/plugin_library.h"

// Loads the DLL at `path`. On failure returns null with the reason in `error`.
std::unique_ptr<PluginLibrary> OpenPluginLibrary(const std::string& path, std::string& error);

class PluginInstance {
 public:
  // The first instance in the process opens the plug-in's font by a path
  // relative to the working directory, as in a host that runs from its own
  // folder: the DLL's folder is the working directory while it is created.
  PluginInstance(const PluginLibrary& library, PluginHost* host, int32_t tag = 1);
  ~PluginInstance() {
    if (object_) plugin_.Destroy();
  }
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  bool created() const { return object_ != nullptr; }
  const RawPlugin& plugin() const { return plugin_; }

  // SaveOrLoadState with a load flag, over a stream holding `bytes`.
  bool LoadState(const std::vector<uint8_t>& bytes, std::string& error) const;
  // SaveOrLoadState with a save flag; `bytes` receives what was written.
  bool SaveState(std::vector<uint8_t>& bytes, std::string& error) const;

 private:
  void* object_;
  RawPlugin plugin_;
};
