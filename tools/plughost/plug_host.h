// Our PluginHost: the host object every plug-in instance is given. It
// answers the operations the plug-in calls and passes each on to whatever
// the running command wants done with it (a HostListener).
#pragma once

#include <cstdint>
#include <string>

#include "plugin/fruity_interface.h"

// What a command does with the plug-in's calls. Every method has a quiet
// default, so a command overrides only what it cares about. All are called
// from inside a plug-in operation: they must not destroy the instance.
// Texts are UTF-8: the host interface's texts are in the system's code
// page, and PlugHost converts them once, as they arrive.
class HostListener {
 public:
  virtual ~HostListener() = default;
  virtual void OnMidi(uint32_t /*message*/) {}
  // The voice may be killed; done after the current plug-in call returns.
  virtual void OnVoiceEnded(int32_t /*hostVoiceTag*/) {}
  virtual int32_t OnColour(int32_t /*hostVoiceTag*/) { return 0; }
  virtual void OnHint(const std::string& /*text*/) {}
  virtual void OnMessage(const std::string& /*text*/) {}
  virtual void OnParamChanged(int32_t /*index*/, int32_t /*value*/) {}
  // Entry `entry` of the menu for parameter `index`, or null after the last.
  virtual const HostMenuEntry* OnMenuEntry(int32_t /*index*/, int32_t /*entry*/) { return nullptr; }
  virtual void OnMenuChoice(int32_t /*index*/, int32_t /*entry*/) {}
  // `text` holds the current text; true when the user confirmed a new one
  // there, which PromptAnswerProblem passes.
  virtual bool OnPromptText(const std::string& /*caption*/, std::string& /*text*/) { return false; }
};

// Why the plug-in cannot take `text` as the answer to its prompt (a
// character its code page has no exact form of, or too long), or empty.
std::string PromptAnswerProblem(const std::string& text);

class PlugHost final : public PluginHost {
 public:
  explicit PlugHost(HostListener* listener) : listener_(listener) {}
  void SetListener(HostListener* listener) { listener_ = listener; }

  intptr_t PLUG_CALL HostDispatch(int32_t sender, int32_t request, int32_t index,
                                  intptr_t value) override;
  void PLUG_CALL NotifyParamChanged(int32_t sender, int32_t index, int32_t value) override;
  void PLUG_CALL ShowHint(int32_t sender, const char* text) override;
  void PLUG_CALL EndVoice(int32_t hostVoiceTag, int32_t flag) override;
  int32_t PLUG_CALL QueryVoice(int32_t hostVoiceTag, int32_t query, int32_t a, int32_t b) override;
  void PLUG_CALL SendMidi(int32_t sender, uint32_t message) override;
  int32_t PLUG_CALL PromptText(int32_t x, int32_t y, const char* caption, char* buffer,
                               int32_t* colour) override;

 private:
  HostListener* listener_;
  HostListener quiet_;
  HostListener& Listener() { return listener_ ? *listener_ : quiet_; }
};
