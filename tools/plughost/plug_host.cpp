#include "tools/plughost/plug_host.h"

namespace {
// The name this host gives itself when the plug-in asks (request 29).
const char kHostName[] = "plughost";
// QueryVoice query that asks for a note's colour.
constexpr int32_t kQueryColour = 2;
}  // namespace

intptr_t PLUG_CALL PlugHost::HostDispatch(int32_t, int32_t request, int32_t index, intptr_t value) {
  switch (request) {
    case kHostNameText:
      return reinterpret_cast<intptr_t>(kHostName);
    case kHostShowMessage:
      if (value) Listener().OnMessage(reinterpret_cast<const char*>(value));
      return 0;
    case kHostMenuEntry:
      return reinterpret_cast<intptr_t>(Listener().OnMenuEntry(index, static_cast<int32_t>(value)));
    case kHostMenuChoice:
      Listener().OnMenuChoice(index, static_cast<int32_t>(value));
      return 0;
    default:
      return 0;
  }
}

void PLUG_CALL PlugHost::NotifyParamChanged(int32_t, int32_t index, int32_t value) {
  Listener().OnParamChanged(index, value);
}

void PLUG_CALL PlugHost::ShowHint(int32_t, const char* text) {
  if (text) Listener().OnHint(text);
}

void PLUG_CALL PlugHost::EndVoice(int32_t hostVoiceTag, int32_t) {
  Listener().OnVoiceEnded(hostVoiceTag);
}

int32_t PLUG_CALL PlugHost::QueryVoice(int32_t hostVoiceTag, int32_t query, int32_t, int32_t) {
  return query == kQueryColour ? Listener().OnColour(hostVoiceTag) : 0;
}

void PLUG_CALL PlugHost::SendMidi(int32_t, uint32_t message) { Listener().OnMidi(message); }

int32_t PLUG_CALL PlugHost::PromptText(int32_t, int32_t, const char* caption, char* buffer,
                                       int32_t*) {
  if (!buffer) return 0;
  return Listener().OnPromptText(caption ? caption : "", buffer) ? 1 : 0;
}
