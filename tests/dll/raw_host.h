// A host object built by hand as a table of 28 entry addresses, so the
// plug-in's calls are checked against the positions the host defines, not
// against our own C++ declaration of them. Unused entries record a fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RawHost {
  void** table;  // what the plug-in sees: a pointer to the entry table
  void* entries[28];

  std::vector<uint32_t> midi;
  std::vector<int32_t> senders;
  std::vector<int32_t> endedVoices;
  std::vector<int32_t> requests;
  std::vector<std::string> hints;
  std::vector<int> unexpectedEntries;
  int32_t colour = 0;
  const char* nameText = "Raw Host";

  RawHost();
};

namespace raw_host_detail {
inline RawHost* Self(void* self) { return static_cast<RawHost*>(self); }

inline intptr_t __stdcall HostDispatch(void* self, int32_t sender, int32_t request, int32_t,
                                       intptr_t) {
  Self(self)->senders.push_back(sender);
  Self(self)->requests.push_back(request);
  return request == 29 ? reinterpret_cast<intptr_t>(Self(self)->nameText) : 0;
}
inline void __stdcall NotifyParamChanged(void* self, int32_t sender, int32_t, int32_t) {
  Self(self)->senders.push_back(sender);
}
inline void __stdcall ShowHint(void* self, int32_t sender, const char* text) {
  Self(self)->senders.push_back(sender);
  Self(self)->hints.emplace_back(text ? text : "");
}
inline void __stdcall EndVoice(void* self, int32_t tag, int32_t) {
  Self(self)->endedVoices.push_back(tag);
}
inline int32_t __stdcall QueryVoice(void* self, int32_t, int32_t, int32_t, int32_t) {
  return Self(self)->colour;
}
inline void __stdcall SendMidi(void* self, int32_t sender, uint32_t message) {
  Self(self)->senders.push_back(sender);
  Self(self)->midi.push_back(message);
}
inline int32_t __stdcall PromptText(void*, int32_t, int32_t, const char*, char*, int32_t*) {
  return 0;
}
// An entry the plug-in must never call. It cannot know the argument count,
// so it only records the fault; the test fails on it.
template <int N>
void __stdcall Unexpected(void* self) {
  Self(self)->unexpectedEntries.push_back(N);
}
template <int... N>
void FillUnexpected(void** entries, std::integer_sequence<int, N...>) {
  ((entries[N] = reinterpret_cast<void*>(&Unexpected<N>)), ...);
}
}  // namespace raw_host_detail

inline RawHost::RawHost() : table(entries) {
  using namespace raw_host_detail;
  FillUnexpected(entries, std::make_integer_sequence<int, 28>{});
  entries[0] = reinterpret_cast<void*>(&HostDispatch);
  entries[1] = reinterpret_cast<void*>(&NotifyParamChanged);
  entries[2] = reinterpret_cast<void*>(&ShowHint);
  entries[5] = reinterpret_cast<void*>(&EndVoice);
  entries[6] = reinterpret_cast<void*>(&QueryVoice);
  entries[9] = reinterpret_cast<void*>(&SendMidi);
  entries[27] = reinterpret_cast<void*>(&PromptText);
}
