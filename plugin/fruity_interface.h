// The host-facing binary interface: the plug-in operation table, the host
// object's table and the static descriptor, slot by slot as the host lays
// them out. Nothing else in the project depends on these layouts; every
// offset and size that crosses the boundary is pinned at the end of this file.
//
// The header is platform-neutral so the engine can build natively; on the
// 32-bit Windows target every operation is __stdcall (callee pops, object
// pointer first on the stack), which is what the host's tables expect.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define PLUG_CALL __stdcall
#else
#define PLUG_CALL
#endif

struct IStream;  // the host's COM stream; only Read and Write are used

// Text returned by host request 29 is copied into a field of this size.
constexpr int kHostTextSize = 260;

// ---------------------------------------------------------------------------
// PluginHost: the host object every plug-in instance receives at creation.
// The plug-in calls entries 0, 1, 2, 5, 6, 9 and 27 and nothing else; the
// other entries keep their slots so the table lines up with the host's, and
// are never called (their real arguments are the host's business).
// "sender" is always the host tag the instance was created with.
class PluginHost {
 public:
  // 0 [any thread] General request: 29 name text, 22 message, 18 menu entry,
  //   0 menu choice. The result is read for requests 18 and 29 only.
  virtual intptr_t PLUG_CALL HostDispatch(int32_t sender, int32_t request, int32_t index,
                                          intptr_t value) = 0;
  // 1 [editor thread] A parameter was changed from the plug-in's own panel.
  virtual void PLUG_CALL NotifyParamChanged(int32_t sender, int32_t index, int32_t value) = 0;
  // 2 [any thread] Shows a short transient hint text (read during the call).
  virtual void PLUG_CALL ShowHint(int32_t sender, const char* text) = 0;
  virtual void PLUG_CALL Unused3() {}
  virtual void PLUG_CALL Unused4() {}
  // 5 [audio thread] The voice with this tag has ended; the host may kill it.
  virtual void PLUG_CALL EndVoice(int32_t hostVoiceTag, int32_t flag) = 0;
  // 6 [audio thread] Asks about a voice; query 2 answers its colour 0..15.
  virtual int32_t PLUG_CALL QueryVoice(int32_t hostVoiceTag, int32_t query, int32_t a,
                                       int32_t b) = 0;
  virtual void PLUG_CALL Unused7() {}
  virtual void PLUG_CALL Unused8() {}
  // 9 [any thread] Sends one packed MIDI message on the port its top byte names.
  virtual void PLUG_CALL SendMidi(int32_t sender, uint32_t message) = 0;
  virtual void PLUG_CALL Unused10() {}
  virtual void PLUG_CALL Unused11() {}
  virtual void PLUG_CALL Unused12() {}
  virtual void PLUG_CALL Unused13() {}
  virtual void PLUG_CALL Unused14() {}
  virtual void PLUG_CALL Unused15() {}
  virtual void PLUG_CALL Unused16() {}
  virtual void PLUG_CALL Unused17() {}
  virtual void PLUG_CALL Unused18() {}
  virtual void PLUG_CALL Unused19() {}
  virtual void PLUG_CALL Unused20() {}
  virtual void PLUG_CALL Unused21() {}
  virtual void PLUG_CALL Unused22() {}
  virtual void PLUG_CALL Unused23() {}
  virtual void PLUG_CALL Unused24() {}
  virtual void PLUG_CALL Unused25() {}
  virtual void PLUG_CALL Unused26() {}
  // 27 [editor thread] Asks the user for a text. buffer holds 256 bytes with
  //   the current value; returns non-zero when confirmed (buffer then holds
  //   the new text), zero on cancel.
  virtual int32_t PLUG_CALL PromptText(int32_t x, int32_t y, const char* caption, char* buffer,
                                       int32_t* colour) = 0;

 protected:
  // The host owns its object; the plug-in never deletes it. No virtual
  // destructor, so nothing follows entry 27 in the table.
  ~PluginHost() = default;
};

// Host requests made through HostDispatch.
enum HostRequest : int32_t {
  kHostMenuChoice = 0,
  kHostMenuEntry = 18,
  kHostShowMessage = 22,
  kHostNameText = 29,
};

// Entry record answered by request 18.
struct HostMenuEntry {
  const char* text;  // NUL-terminated; "-" is a separator
  int32_t flags;     // bit 0 disabled, bit 1 checked
};

// ---------------------------------------------------------------------------
// PluginDescriptor: the static record the host reads through the object.
struct PluginDescriptor {
  int32_t interfaceVersion;
  const char* longName;
  const char* shortName;
  int32_t flags;
  int32_t parameterCount;
  int32_t furtherCounts[3];
  int32_t reserved[30];
};

// ---------------------------------------------------------------------------
// TFruityPlug: the plug-in object as the host sees it. The host calls slots
// 0 to 17 through the table pointer at offset 0 and reads the three data
// members directly.
class TFruityPlug {
 public:
  int32_t hostTag = 0;                           // +4  the host's tag for this instance
  const PluginDescriptor* descriptor = nullptr;  // +8  always the static descriptor
  void* editorHandle = nullptr;                  // +12 the editor window (HWND), or null

  // 0 [main thread] Ends the instance; the object is gone afterwards.
  virtual void PLUG_CALL Destroy() { delete this; }
  // 1 [main thread] Requests: 0 show/hide editor, 12 playback state. Returns 0.
  virtual intptr_t PLUG_CALL Dispatch(int32_t request, int32_t index, intptr_t value) = 0;
  // 2 [main thread] Idle tick.
  virtual void PLUG_CALL Idle() = 0;
  // 3 [main thread] Saves (save != 0) or loads the state through the stream.
  virtual void PLUG_CALL SaveOrLoadState(IStream* stream, int32_t save) = 0;
  // 4 [main thread] Writes a NUL-terminated name or value text into text.
  virtual void PLUG_CALL GetName(int32_t section, int32_t index, int32_t value, char* text) = 0;
  // 5 [audio thread] Host event (2 pan, 3 volume). Returns 0.
  virtual int32_t PLUG_CALL ProcessEvent(int32_t event, int32_t value, int32_t flags) = 0;
  // 6 [audio or editor thread] Parameter change. Returns the (rescaled) value.
  virtual int32_t PLUG_CALL ProcessParam(int32_t index, int32_t value, int32_t flags) = 0;
  // 7, 8 [audio thread] Audio rendering; this plug-in makes no audio.
  virtual void PLUG_CALL RenderEffect(void* source, void* destination, int32_t length) = 0;
  virtual void PLUG_CALL RenderVoices(void* destination, int32_t length) = 0;
  // 9 [audio thread] Starts a voice; returns its handle, or 0 for none.
  virtual intptr_t PLUG_CALL TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) = 0;
  // 10 [audio thread] The host released the voice (note-off time).
  virtual void PLUG_CALL ReleaseVoice(intptr_t handle) = 0;
  // 11 [audio thread] The host is done with the voice; the handle dies.
  virtual void PLUG_CALL KillVoice(intptr_t handle) = 0;
  // 12 [audio thread] Per-voice event. Returns 0.
  virtual int32_t PLUG_CALL VoiceEvent(intptr_t handle, int32_t event, int32_t value,
                                       int32_t flags) = 0;
  // 13 [audio thread] Renders length stereo float frames of the voice.
  virtual int32_t PLUG_CALL RenderVoice(intptr_t handle, float* buffer, int32_t* length) = 0;
  // 14 to 17 Host notifications this plug-in has no use for.
  virtual void PLUG_CALL Unused14() = 0;
  virtual void PLUG_CALL Unused15() = 0;
  virtual void PLUG_CALL Unused16(int32_t argument) = 0;
  virtual void PLUG_CALL Unused17(int32_t argument) = 0;
  // 18 (and 19 with this toolchain) The destructor, after every host slot.
  virtual ~TFruityPlug() = default;
};

// The factory every host looks up by name.
extern "C" TFruityPlug* PLUG_CALL CreatePlugInstance(PluginHost* host, int32_t tag);

// ---------------------------------------------------------------------------
// Layout checks. offsetof on a polymorphic class is conditionally supported;
// GCC and Clang give the real offset, which is what the host relies on.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(TFruityPlug, hostTag) == sizeof(void*), "host tag follows the table");
static_assert(offsetof(TFruityPlug, descriptor) == 2 * sizeof(void*),
              "descriptor pointer at the third word");
static_assert(offsetof(TFruityPlug, editorHandle) == 3 * sizeof(void*),
              "editor handle at the fourth word");
static_assert(sizeof(TFruityPlug) == 4 * sizeof(void*), "no hidden members in TFruityPlug");
static_assert(sizeof(PluginHost) == sizeof(void*), "PluginHost is a bare table pointer");
static_assert(offsetof(HostMenuEntry, flags) == sizeof(void*), "menu entry: text, then flags");
static_assert(offsetof(PluginDescriptor, parameterCount) == offsetof(PluginDescriptor, flags) + 4,
              "flags, then the parameter count");
#if defined(__i386__)
static_assert(sizeof(PluginDescriptor) == 38 * 4, "descriptor is 38 words");
static_assert(offsetof(PluginDescriptor, longName) == 4 &&
                  offsetof(PluginDescriptor, shortName) == 8 &&
                  offsetof(PluginDescriptor, flags) == 12 &&
                  offsetof(PluginDescriptor, parameterCount) == 16 &&
                  offsetof(PluginDescriptor, reserved) == 32,
              "descriptor words 1 to 4, counts 5 to 7, reserved from 8");
static_assert(offsetof(TFruityPlug, hostTag) == 4 && offsetof(TFruityPlug, descriptor) == 8 &&
                  offsetof(TFruityPlug, editorHandle) == 12,
              "host-visible members at 4, 8, 12");
static_assert(sizeof(HostMenuEntry) == 8, "menu entry is two words");
#endif
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
