// A PluginHost that records every call, answers QueryVoice with a scripted
// colour and request 29 with a scripted text. Used by the unit tests on the
// engine and by the test hosts that load the DLL.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "plugin/fruity_interface.h"

class RecordingHost : public PluginHost {
 public:
  struct Call {
    int32_t sender, request, index;
    intptr_t value;
  };

  std::vector<uint32_t> midi;  // every SendMidi message, in order
  std::vector<int32_t> midiSenders;
  std::vector<std::string> hints;                         // ShowHint texts
  std::vector<int32_t> endedVoices;                       // EndVoice tags
  std::vector<int32_t> colourQueries;                     // QueryVoice tags
  std::vector<Call> dispatches;                           // HostDispatch calls
  std::vector<std::string> messages;                      // request 22 texts
  std::vector<std::pair<int32_t, int32_t>> paramChanges;  // NotifyParamChanged

  int32_t colour = 0;                                // answer to QueryVoice
  std::deque<int32_t> colourQueue;                   // answers used first, one per query
  const char* nameText = "Test Host";                // answer to request 29 (may be null)
  std::vector<HostMenuEntry> menu;                   // answers to request 18
  std::deque<std::pair<bool, std::string>> prompts;  // scripted PromptText answers
  std::vector<std::string> promptCaptions;

  intptr_t PLUG_CALL HostDispatch(int32_t sender, int32_t request, int32_t index,
                                  intptr_t value) override {
    dispatches.push_back({sender, request, index, value});
    if (request == kHostNameText) return reinterpret_cast<intptr_t>(nameText);
    if (request == kHostShowMessage && value)
      messages.emplace_back(reinterpret_cast<const char*>(value));
    if (request == kHostMenuEntry) {
      if (value >= 0 && static_cast<size_t>(value) < menu.size())
        return reinterpret_cast<intptr_t>(&menu[static_cast<size_t>(value)]);
      return 0;
    }
    return 0;
  }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t index, int32_t value) override {
    paramChanges.emplace_back(index, value);
  }
  void PLUG_CALL ShowHint(int32_t, const char* text) override {
    hints.emplace_back(text ? text : "");
  }
  void PLUG_CALL EndVoice(int32_t tag, int32_t) override { endedVoices.push_back(tag); }
  int32_t PLUG_CALL QueryVoice(int32_t tag, int32_t, int32_t, int32_t) override {
    colourQueries.push_back(tag);
    if (!colourQueue.empty()) {
      const int32_t c = colourQueue.front();
      colourQueue.pop_front();
      return c;
    }
    return colour;
  }
  void PLUG_CALL SendMidi(int32_t sender, uint32_t message) override {
    midi.push_back(message);
    midiSenders.push_back(sender);
  }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char* caption, char* buffer,
                               int32_t*) override {
    promptCaptions.emplace_back(caption ? caption : "");
    if (prompts.empty()) return 0;
    auto [ok, text] = prompts.front();
    prompts.pop_front();
    if (ok) {
      std::string t = text.substr(0, 255);
      std::copy(t.begin(), t.end(), buffer);
      buffer[t.size()] = 0;
    }
    return ok ? 1 : 0;
  }

  void ClearRecords() {
    midi.clear();
    midiSenders.clear();
    hints.clear();
    endedVoices.clear();
    colourQueries.clear();
    dispatches.clear();
    messages.clear();
    paramChanges.clear();
    promptCaptions.clear();
  }
};

// Readable form of a packed message, for test failure output.
inline std::string DescribeMidi(uint32_t m) {
  char text[48];
  std::snprintf(text, sizeof text, "%02X %02X %02X port %u", m & 0xFF, (m >> 8) & 0xFF,
                (m >> 16) & 0xFF, m >> 24);
  return text;
}

// A packed message from its bytes.
inline uint32_t Msg(uint8_t status, uint8_t d1, uint8_t d2, uint8_t port = 0) {
  return status | d1 << 8 | d2 << 16 | static_cast<uint32_t>(port) << 24;
}

// Readable forms of a message list, so a failing comparison shows bytes.
inline std::vector<std::string> Describe(const std::vector<uint32_t>& messages) {
  std::vector<std::string> out;
  for (uint32_t m : messages) out.push_back(DescribeMidi(m));
  return out;
}
