// The two sides of a render. A render plays a MIDI file into an
// articulation switcher the way a music host plays a song. The plug-in may
// be the DLL behind its operation table (plughost) or the engine linked in
// (native tests and fuzzing); the render sees only the host's operations.
#pragma once

#include <cstdint>
#include <string>

// What the plug-in hears from the render: the host's calls while playing.
class RenderListener;

class RenderTarget {
 public:
  virtual ~RenderTarget() = default;
  // Where the plug-in's calls back to the host go from now on; null: nowhere.
  virtual void Attach(RenderListener* listener) = 0;
  // Dispatch request 12: playback started (true) or stopped.
  virtual void Playback(bool playing) = 0;
  virtual void ProcessParam(int32_t index, int32_t value, int32_t flags) = 0;
  virtual void ProcessEvent(int32_t event, int32_t value, int32_t flags) = 0;
  // `params` is the host's voice parameters record (host_voice_params.h).
  virtual intptr_t TriggerVoice(const void* params, int32_t tag) = 0;
  virtual void ReleaseVoice(intptr_t handle) = 0;
  virtual void KillVoice(intptr_t handle) = 0;
  // The plug-in's name as its descriptor gives it.
  virtual std::string Name() const = 0;
};

// The plug-in's calls back to the host while a render drives it. Each is
// made from inside one of the target's operations.
class RenderListener {
 public:
  virtual void OnMidi(uint32_t message) = 0;
  // The voice may be killed, once the current operation has returned.
  virtual void OnVoiceEnded(int32_t hostVoiceTag) = 0;
  virtual int32_t OnColour(int32_t hostVoiceTag) = 0;

 protected:
  ~RenderListener() = default;
};
