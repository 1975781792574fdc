#include "tools/bench/bench_host.h"

intptr_t BenchHost::HostDispatch(int32_t, int32_t, int32_t, intptr_t) { return 0; }
void BenchHost::NotifyParamChanged(int32_t, int32_t, int32_t) {}
void BenchHost::ShowHint(int32_t, const char*) {}
void BenchHost::EndVoice(int32_t, int32_t) {}
int32_t BenchHost::QueryVoice(int32_t, int32_t, int32_t, int32_t) {
  colour = (colour + 5) & 15;
  return colour;
}
void BenchHost::SendMidi(int32_t, uint32_t message) {
  ++midi;
  midiSum += message;
}
int32_t BenchHost::PromptText(int32_t, int32_t, const char*, char*, int32_t*) { return 0; }
