#include "tools/plughost/plug_host.h"

#include <cstring>

#include "editor/wide_text.h"

namespace {
// The name this host gives itself when the plug-in asks (request 29).
const char kHostName[] = "plughost";
// QueryVoice query that asks for a note's colour.
constexpr int32_t kQueryColour = 2;
// The prompt's buffer: its size, with the terminating NUL.
constexpr size_t kPromptBufferSize = 256;

// A text of the host interface, which is in the system's code page.
std::string Utf8(const char* text) { return panel_text::Utf8FromSystemCodePage(text ? text : ""); }

}  // namespace

std::string PromptAnswerProblem(const std::string& text) {
  std::string bytes;
  if (!panel_text::ExactlyInSystemCodePage(text, bytes))
    return "\"" + text +
           "\" holds a character the plug-in cannot store (its texts are in the system's code "
           "page)";
  if (bytes.size() >= kPromptBufferSize)
    return "the plug-in takes at most " + std::to_string(kPromptBufferSize - 1) + " bytes of text";
  return "";
}

// Called by the plug-in: nothing thrown may go back into it.
intptr_t PLUG_CALL PlugHost::HostDispatch(int32_t, int32_t request, int32_t index,
                                          intptr_t value) try {
  switch (request) {
    case kHostNameText:
      return reinterpret_cast<intptr_t>(kHostName);
    case kHostShowMessage:
      if (value) Listener().OnMessage(Utf8(reinterpret_cast<const char*>(value)));
      return 0;
    case kHostMenuEntry:
      return reinterpret_cast<intptr_t>(Listener().OnMenuEntry(index, static_cast<int32_t>(value)));
    case kHostMenuChoice:
      Listener().OnMenuChoice(index, static_cast<int32_t>(value));
      return 0;
    default:
      return 0;
  }
} catch (...) {
  return 0;
}

void PLUG_CALL PlugHost::NotifyParamChanged(int32_t, int32_t index, int32_t value) {
  Listener().OnParamChanged(index, value);
}

void PLUG_CALL PlugHost::ShowHint(int32_t, const char* text) try {
  if (text) Listener().OnHint(Utf8(text));
} catch (...) {
}

void PLUG_CALL PlugHost::EndVoice(int32_t hostVoiceTag, int32_t) {
  Listener().OnVoiceEnded(hostVoiceTag);
}

int32_t PLUG_CALL PlugHost::QueryVoice(int32_t hostVoiceTag, int32_t query, int32_t, int32_t) {
  return query == kQueryColour ? Listener().OnColour(hostVoiceTag) : 0;
}

void PLUG_CALL PlugHost::SendMidi(int32_t, uint32_t message) { Listener().OnMidi(message); }

int32_t PLUG_CALL PlugHost::PromptText(int32_t, int32_t, const char* caption, char* buffer,
                                       int32_t*) try {
  if (!buffer) return 0;
  // The plug-in may leave the buffer unterminated: never read past its end.
  std::string text = panel_text::Utf8FromSystemCodePage(
      std::string(buffer, strnlen(buffer, kPromptBufferSize - 1)));
  if (!Listener().OnPromptText(Utf8(caption), text)) return 0;
  // What the plug-in cannot hold exactly is no answer: never a look-alike.
  std::string bytes;
  if (!PromptAnswerProblem(text).empty() || !panel_text::ExactlyInSystemCodePage(text, bytes))
    return 0;
  std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
  return 1;
} catch (...) {
  return 0;
}
