// A careless or buggy host, as a seeded random driver: every operation of the
// plug-in's table in random order, with random and invalid arguments (absurd
// pitches and levels, stale, foreign and misaligned voice handles, parameters
// and events out of range, damaged states, playback start and stop, the
// editor). The same driver runs against the engine natively and against the
// real DLL through its raw table; a Target adapts one of them.
//
// Every call is first drawn as a Step of plain random words and only then
// interpreted against the host's view, so a failing sequence replays exactly
// on a fresh instance and can be reduced to the fewest steps that still fail.
//
// Invariants checked:
//  - every MIDI message has a status byte and data bytes of at most 127, and
//    every host call carries the host tag (HostileHost);
//  - GetName writes a NUL-terminated text within 256 bytes and never past;
//  - RenderVoice writes the frames asked for and nothing past them;
//  - save -> load -> save gives the same bytes, also after a damaged load;
//  - a map file refused changes nothing; the instance's own map copied and
//    pasted back changes nothing; an undo brings back the state before the
//    load (map_loads.h);
//  - at a playback stop the plug-in reports exactly the voices the host
//    holds, and once the host has killed them no key sounds anywhere;
//  - no key stays down past the release (or kill) that ends the last voice
//    sounding it: a voice sounds the note-ons that end its trigger (one
//    note on each of its channels), and once it is released its own key is
//    up unless another voice not yet released may still sound that key
//    (the plug-in holds a key's note-off back only for those);
//  - where the target shows its output (natively): a note sounds on a
//    channel only when that channel last received, for every performance
//    controller no slot sends as articulation, the value last sent on the
//    plug-in's channel; after a stop no other channel keeps a sustain pedal
//    down that the plug-in does not hold (both unless ccGhosting is set).
#pragma once

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/slot_additions.h"
#include "state/extension_block.h"
#include "tests/hostile/hostile_host.h"

namespace hostile {

// splitmix64: small, fast and the same on every compiler.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Word() { return static_cast<uint32_t>(Next() >> 32); }

 private:
  uint64_t state_;
};

enum class Call : uint8_t {
  kTrigger,
  kRelease,
  kKill,
  kRender,
  kVoiceEvent,
  kParam,
  kEvent,
  kGetName,
  kSave,
  kLoad,
  kPlayStart,
  kStopAndCheck,
  kDispatch,
  kIdle,
  kEdit,
  kHostKills,
  kMapLoad,
  kCount,
};

const char* CallName(Call call);

struct Step {
  Call call;
  uint32_t a, b, c, d;
};

std::string Describe(const Step& step);

// Draws n steps. Notes and their ends are the most common calls, as in a
// real session; stops with their checks come every few hundred calls.
std::vector<Step> DrawSteps(uint64_t seed, size_t n);

// What a Target offers: the table's operations on one plug-in instance that
// reports to the given host.
//   void Reset(HostileHost&)   a fresh instance (the old one destroyed)
//   void Close()               destroys the instance
//   intptr_t Trigger(const void* params, int32_t tag), void Release(intptr_t),
//   void Kill(intptr_t), int32_t Render(intptr_t, float*, int32_t*),
//   int32_t VoiceEvent(intptr_t, int32_t, int32_t, int32_t),
//   int32_t Param(int32_t, int32_t, int32_t), int32_t Event(int32_t, int32_t, int32_t),
//   void GetName(int32_t, int32_t, int32_t, char*),
//   std::vector<uint8_t> Save(), void Load(const std::vector<uint8_t>&),
//   void Dispatch(int32_t request, int32_t index, intptr_t value) (12 = playback),
//   void Idle(), void Edit(uint32_t kind, uint32_t a, uint32_t b),
//   std::string MapLoad(uint32_t, uint32_t, uint32_t) (a load, paste, undo
//     or save of a map as the panel makes them; returns a fault or empty),
//   int LiveCount() (-1 when it cannot be seen)

// The plug-in's output address and what the channel checks need of it.
struct OutputView {
  uint8_t port = 0, channel = 0;
  bool ghosting = false;
  int32_t hold = 0;               // the sustain pedal's value (CC 64)
  std::bitset<128> articulation;  // CCs some slot sends to switch
};

// The host's view of the voices it started.
struct HostVoice {
  intptr_t handle;
  int32_t tag;
  bool askedToEnd;
  bool released = false;
  // Key addresses (port << 11 | channel << 7 | note): `own`, the trigger's
  // last note-on, is surely the voice's; `keys` (its run of note-ons of one
  // key and velocity on rising channels) may hold an action's note too.
  uint32_t own = kNoKey;
  std::vector<uint32_t> keys;
  static constexpr uint32_t kNoKey = UINT32_MAX;
};

// Runs steps on a fresh instance; returns the first fault, or empty.
template <typename Target>
std::string RunSteps(Target& target, const std::vector<Step>& steps);

// Runs steps and, on a fault, reduces them to a shorter sequence that still
// fails (removing chunks of halving size). Returns the fault and leaves the
// reduced sequence in steps.
template <typename Target>
std::string RunAndReduce(Target& target, std::vector<Step>& steps);

// ---------------------------------------------------------------------------

namespace detail {

constexpr int32_t kHostTag = 0x5EED;
constexpr size_t kNameBuffer = 256;
constexpr size_t kCanary = 64;
constexpr uint8_t kCanaryByte = 0xA5;

inline float FloatBits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// Mostly playable pitches, then edges and nonsense.
inline float Pitch(uint32_t a, uint32_t b) {
  switch (a % 16) {
    case 0:
      return std::numeric_limits<float>::quiet_NaN();
    case 1:
      return (b & 1) ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
    case 2:
      return (b & 1) ? 1e30f : -1e30f;
    case 3:
      return FloatBits(b);
    case 4:
      return static_cast<float>(static_cast<int32_t>(b % 2000) - 7000);  // below note 0
    case 5:
      return 6800.0f - static_cast<float>(b % 3) * 0.05f;  // the top edge
    case 6:
      return -0.5f;
    default:
      // A few keys only, so voices of one key overlap often.
      return static_cast<float>(static_cast<int32_t>(b % 12) * 100 - 600) +
             static_cast<float>((b >> 8) % 100) * 0.5f;
  }
}

inline float Level(uint32_t c) {
  switch (c % 10) {
    case 0:
      return std::numeric_limits<float>::quiet_NaN();
    case 1:
      return -1.0f;
    case 2:
      return 1e20f;
    case 3:
      return FloatBits(c);
    default:
      return static_cast<float>(c % 300) / 100.0f;
  }
}

inline int32_t Colour(uint32_t d) {
  switch (d % 12) {
    case 0:
      return -1;
    case 1:
      return 16;
    case 2:
      return static_cast<int32_t>(d);
    default:
      return static_cast<int32_t>(d % 16);
  }
}

inline int32_t AnyInt(uint32_t a, uint32_t b, int32_t low, int32_t high) {
  switch (a % 8) {
    case 0:
      return std::numeric_limits<int32_t>::min();
    case 1:
      return std::numeric_limits<int32_t>::max();
    case 2:
      return static_cast<int32_t>(b);
    case 3:
      return -1;
    default:
      return low + static_cast<int32_t>(b % static_cast<uint32_t>(high - low + 1));
  }
}

// Valid slot additions of every kind: layered channels, transposes, held
// and tapped notes, controllers, programs and bends on their own channels.
inline SlotAdditions RandomAdditions(uint64_t seed) {
  Random random(seed);
  SlotAdditions s;
  if (random.Word() % 4 == 0) return s;
  s.keyswitchVelocity = static_cast<uint8_t>(1 + random.Word() % 127);
  s.transpose = static_cast<int8_t>(static_cast<int32_t>(random.Word() % 97) - 48);
  s.noteChannels = random.Word() & kChannelSetMask;
  if (s.noteChannels == 0) s.noteChannels = kPluginChannelBit;
  s.actionCount = static_cast<uint8_t>(random.Word() % (kMaxSlotActions + 1));
  for (int i = 0; i < s.actionCount; ++i) {
    SlotAction& a = s.actions[i];
    a.kind = static_cast<ActionKind>(1 + random.Word() % 5);
    a.channel = static_cast<uint8_t>(random.Word() % 17);
    a.number = static_cast<uint8_t>(random.Word() % 128);
    switch (a.kind) {
      case ActionKind::kNoteTap:
      case ActionKind::kNoteHeld:
        a.value = static_cast<uint16_t>(1 + random.Word() % 127);
        break;
      case ActionKind::kControlChange:
        a.value = static_cast<uint16_t>(random.Word() % 128);
        break;
      case ActionKind::kProgramChange:
        a.value = 0;
        break;
      case ActionKind::kPitchBend:
        a.number = 0;
        a.value = static_cast<uint16_t>(random.Word() % 16384);
        break;
    }
  }
  return s;
}

// Where the version-5 layout of a saved state ends (the names vary in length).
inline size_t Version5Length(const std::vector<uint8_t>& bytes) {
  size_t at = 4 * (1 + 5 + 4 * 16);
  for (int slot = 0; slot < 16 && at + 2 <= bytes.size(); ++slot)
    at += 2 + (bytes[at] | bytes[at + 1] << 8);
  return std::min(bytes.size(), at + 2 + 6 * 4 + 2 * 4);
}

// A state to load: a good one as saved, or one damaged in one of the ways
// files get damaged: cut short, bytes changed, a foreign version word, a
// long name length, junk appended, or junk alone.
inline std::vector<uint8_t> DamagedState(std::vector<uint8_t> bytes, uint32_t a, uint32_t b,
                                         uint32_t c) {
  if ((a >> 8) % 2 == 1) {
    // New slot additions for a few slots, in their block.
    bytes.resize(Version5Length(bytes));
    SlotAdditionsArray additions{};
    for (uint32_t i = 0; i < 1 + b % 4; ++i)
      additions[(c + i * 5) % 16] = RandomAdditions(uint64_t(b) << 32 | (c + i));
    const std::vector<uint8_t> block = EncodeExtensionBlock(additions);
    bytes.insert(bytes.end(), block.begin(), block.end());
  }
  auto put = [&bytes](size_t at, uint32_t word) {
    if (at + 4 <= bytes.size()) std::memcpy(bytes.data() + at, &word, 4);
  };
  switch (a % 8) {
    case 0:
      return bytes;
    case 1:
      bytes.resize(bytes.empty() ? 0 : b % bytes.size());
      break;
    case 2:
      for (int i = 0; i < 4 && !bytes.empty(); ++i)
        bytes[(b >> (i * 8)) % bytes.size()] ^= c >> (i * 8);
      break;
    case 3:
      put(0, b % 7 == 0 ? c : b % 7);
      break;
    case 4: {
      // A name length word somewhere past the slot words.
      const size_t at = 216 + (b % 64);
      if (at + 2 <= bytes.size()) {
        bytes[at] = static_cast<uint8_t>(c);
        bytes[at + 1] = 0xFF;
      }
      break;
    }
    case 5:
      for (uint32_t i = 0; i < b % 64; ++i) bytes.push_back(static_cast<uint8_t>(c >> (i % 4 * 8)));
      break;
    case 6:
      put(4 * (1 + b % 8), c);
      break;  // output words, options, first keyswitches
    default: {
      bytes.assign(b % 400, 0);
      uint64_t x = c;
      for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>((x = x * 6364136223846793005ull + 1) >> 56);
      break;
    }
  }
  return bytes;
}

template <typename Target>
class Runner {
 public:
  Runner(Target& target, HostileHost& host) : target_(target), host_(host) {}

  std::string Run(const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
      Apply(steps[i]);
      if (fault_.empty()) fault_ = host_.Fault();
      if (!fault_.empty())
        return "step " + std::to_string(i) + " (" + Describe(steps[i]) + "): " + fault_;
    }
    // Every run ends as a session does: playback stops, the voices end.
    StopAndCheck();
    if (fault_.empty()) fault_ = host_.Fault();
    if (!fault_.empty()) return "at the end: " + fault_;
    return {};
  }

 private:
  void Fail(const std::string& what) {
    if (fault_.empty()) fault_ = what;
  }

  intptr_t PickHandle(uint32_t a, uint32_t b) const {
    switch (a % 10) {
      case 0:
        return 0;
      case 1:
        return stale_.empty() ? 0 : stale_[b % stale_.size()];
      case 2:
        return voices_.empty() ? static_cast<intptr_t>(b)
                               : voices_[b % voices_.size()].handle + 1 + b % 7;
      case 3:
        return static_cast<intptr_t>(b);
      default:
        return voices_.empty() ? 0 : voices_[b % voices_.size()].handle;
    }
  }

  // What the host does with a handle it passed to KillVoice.
  void Forget(intptr_t handle) {
    for (size_t i = 0; i < voices_.size(); ++i) {
      if (voices_[i].handle != handle) continue;
      voices_.erase(voices_.begin() + static_cast<std::ptrdiff_t>(i));
      stale_.push_back(handle);
      if (stale_.size() > 64) stale_.erase(stale_.begin());
      return;
    }
  }

  void NoteEnded() {
    for (int32_t tag : host_.TakeEnded()) {
      for (HostVoice& v : voices_) {
        if (v.tag == tag) v.askedToEnd = true;
      }
    }
  }

  void KillAsked(uint32_t share) {
    NoteEnded();
    std::vector<intptr_t> doomed;
    for (size_t i = 0; i < voices_.size(); ++i) {
      if (voices_[i].askedToEnd && (share == 0 || (i + share) % 3 != 0))
        doomed.push_back(voices_[i].handle);
    }
    for (intptr_t handle : doomed) {
      target_.Kill(handle);
      Ended(handle);
      Forget(handle);
    }
  }

  static uint32_t KeyOf(uint32_t message) {
    return (message >> 24) << 11 | (message & 15) << 7 | ((message >> 8) & 127);
  }
  static bool IsNoteOn(uint32_t message) {
    return (message & 0xF0) == 0x90 && ((message >> 16) & 0xFF) > 0;
  }

  // The keys a trigger's messages sounded for its voice.
  static void NoteKeys(const std::vector<uint32_t>& sent, HostVoice& voice) {
    if (sent.empty() || !IsNoteOn(sent.back())) return;
    voice.own = KeyOf(sent.back());
    voice.keys.push_back(voice.own);
    for (size_t i = sent.size() - 1; i-- > 0;) {
      const uint32_t m = sent[i], next = sent[i + 1];
      if (!IsNoteOn(m) || (m & 0xFFFFFFF0u) != (next & 0xFFFFFFF0u) || (m & 15) >= (next & 15))
        break;
      voice.keys.push_back(KeyOf(m));
    }
  }

  // After the release or kill of a live voice not yet released: its own
  // key is up unless another voice not yet released may sound it.
  void Ended(intptr_t handle) {
    const auto v = std::find_if(voices_.begin(), voices_.end(),
                                [handle](const HostVoice& h) { return h.handle == handle; });
    if (v == voices_.end() || v->released) return;
    v->released = true;
    if (v->own == HostVoice::kNoKey || !host_.IsDown(v->own)) return;
    for (const HostVoice& other : voices_) {
      if (&other == &*v || other.released) continue;
      if (std::find(other.keys.begin(), other.keys.end(), v->own) != other.keys.end()) return;
    }
    Fail("port " + std::to_string(v->own >> 11) + " channel " +
         std::to_string(((v->own >> 7) & 15) + 1) + " note " + std::to_string(v->own & 127) +
         " stays down after its last voice was released");
  }

  void StopAndCheck() {
    NoteEnded();
    target_.Dispatch(12, 0, 0);
    const std::vector<int32_t> reported = host_.TakeEnded();
    if (reported.size() != voices_.size()) {
      Fail("a playback stop reported " + std::to_string(reported.size()) +
           " voices; the host holds " + std::to_string(voices_.size()));
    }
    for (HostVoice& v : voices_) v.askedToEnd = true;
    for (int32_t tag : reported) {
      if (std::none_of(voices_.begin(), voices_.end(),
                       [tag](const HostVoice& v) { return v.tag == tag; })) {
        Fail("a playback stop reported tag " + std::to_string(tag) + ", which the host never gave");
      }
    }
    CheckLiftedPedals();
    KillAsked(0);
    const int live = target_.LiveCount();
    if (live > 0)
      Fail(std::to_string(live) + " voices still live after the host killed every ended one");
    const std::string key = host_.SoundingKey();
    if (!key.empty()) Fail("a key still sounds after stop and kill: " + key);
  }

  void Trigger(const Step& s) {
    unsigned char params[64] = {};
    const float level = Level(s.c);
    const float pitch = Pitch(s.a, s.b);
    std::memcpy(params + 4, &level, 4);
    std::memcpy(params + 28, &pitch, 4);
    int32_t tag = static_cast<int32_t>(++nextTag_);
    if (s.d % 16 == 0 && !voices_.empty()) tag = voices_[s.d % voices_.size()].tag;  // a reused tag
    host_.PlanColour(Colour(s.d >> 4));
    std::bitset<128> articulation;
    if constexpr (requires(const Target& t) { t.Output(); }) {
      articulation = target_.Output().articulation;
      host_.WatchArticulation();
    }
    host_.Record();
    const intptr_t handle = target_.Trigger(s.a % 64 == 63 ? nullptr : params, tag);
    const std::vector<uint32_t> sent = host_.TakeRecorded();
    if constexpr (requires(const Target& t) { t.Output(); }) host_.MarkArticulation(articulation);
    if (handle == 0) return;
    for (const HostVoice& v : voices_) {
      if (v.handle == handle) Fail("TriggerVoice handed out a handle that is still live");
    }
    HostVoice voice{handle, tag, false};
    NoteKeys(sent, voice);
    voices_.push_back(voice);
    CheckNoteChannels(handle);
  }

  static constexpr int kPerformanceControllers[] = {1, 2, 11, 16, 21, 64, 7, 10};

  void CheckNoteChannels(intptr_t handle) {
    if constexpr (requires(const Target& t) { t.Output(); }) {
      const OutputView out = target_.Output();
      if (out.ghosting) return;
      ++target_.channelChecks;
      const uint16_t channels = target_.NoteChannels(handle);
      for (int c = 0; c < 16; ++c) {
        if (!(channels >> c & 1) || c == out.channel) continue;
        for (int cc : kPerformanceControllers) {
          if (host_.IsArticulation(out.port, c, cc) ||
              host_.IsArticulation(out.port, out.channel, cc))
            continue;
          const int own = host_.ControlValue(out.port, out.channel, cc);
          const int there = host_.ControlValue(out.port, c, cc);
          if (own != there) {
            Fail("a note sounds on channel " + std::to_string(c + 1) + " whose CC " +
                 std::to_string(cc) + " is " + std::to_string(there) + ", not the plug-in's " +
                 std::to_string(own));
            return;
          }
        }
      }
    }
  }

  void CheckLiftedPedals() {
    if constexpr (requires(const Target& t) { t.Output(); }) {
      const OutputView out = target_.Output();
      if (out.ghosting || out.hold >= 64) return;
      for (unsigned port = 0; port < 256; ++port) {
        for (unsigned c = 0; c < 16; ++c) {
          if (port == out.port && c == out.channel) continue;
          if (host_.ControlValue(port, c, 64) >= 64) {
            Fail("after a stop channel " + std::to_string(c + 1) + " of port " +
                 std::to_string(port) +
                 " keeps a sustain pedal down that the plug-in does not hold");
            return;
          }
        }
      }
    }
  }

  void Render(const Step& s) {
    int32_t length =
        s.b % 8 == 0 ? -static_cast<int32_t>(s.c % 100) : static_cast<int32_t>(s.c % 1024);
    const size_t frames = length > 0 ? static_cast<size_t>(length) : 0;
    std::vector<float> buffer(frames * 2 + 16, 7.0f);
    const int32_t asked = length;
    target_.Render(PickHandle(s.a, s.d), buffer.data(), &length);
    if (length != asked) Fail("RenderVoice changed the frame count");
    for (size_t i = 0; i < buffer.size(); ++i) {
      const float expected = i < frames * 2 ? 0.0f : 7.0f;
      if (buffer[i] != expected) {
        Fail("RenderVoice wrote a wrong sample or past the frames");
        break;
      }
    }
  }

  void GetName(const Step& s) {
    static const int32_t kSections[] = {0, 1, 8, 2, 7, 9, -1};
    const int32_t section = (s.a % 4 == 0) ? static_cast<int32_t>(s.a) : kSections[s.a % 7];
    uint8_t buffer[kNameBuffer + kCanary];
    std::memset(buffer, kCanaryByte, sizeof buffer);
    target_.GetName(section, AnyInt(s.b, s.c, -2, 130), AnyInt(s.c, s.d, -200, 300),
                    reinterpret_cast<char*>(buffer));
    for (size_t i = kNameBuffer; i < sizeof buffer; ++i) {
      if (buffer[i] != kCanaryByte) {
        Fail("GetName wrote past 256 bytes");
        return;
      }
    }
    const bool written = section == 0 || section == 1 || section == 8;
    if (written && std::memchr(buffer, 0, kNameBuffer) == nullptr)
      Fail("GetName wrote no terminator within 256 bytes");
  }

  void SaveLoadSave() {
    const std::vector<uint8_t> first = target_.Save();
    target_.Load(first);
    const std::vector<uint8_t> second = target_.Save();
    if (first != second) Fail("save, load, save gave different bytes");
    lastSaved_ = second;
  }

  void Apply(const Step& s) {
    switch (s.call) {
      case Call::kTrigger:
        Trigger(s);
        break;
      case Call::kRelease: {
        const intptr_t handle = PickHandle(s.a, s.b);
        target_.Release(handle);
        Ended(handle);
        break;
      }
      case Call::kKill: {
        const intptr_t handle = PickHandle(s.a, s.b);
        target_.Kill(handle);
        Ended(handle);
        Forget(handle);
        break;
      }
      case Call::kRender:
        Render(s);
        break;
      case Call::kVoiceEvent:
        target_.VoiceEvent(PickHandle(s.a, s.b), AnyInt(s.c, s.d, 0, 8), static_cast<int32_t>(s.d),
                           static_cast<int32_t>(s.c));
        break;
      case Call::kParam:
        target_.Param(AnyInt(s.a, s.b, -3, 130), AnyInt(s.b, s.c, -70000, 70000),
                      static_cast<int32_t>(s.d % 4 == 0 ? s.d : s.d & 0x37));
        break;
      case Call::kEvent:
        target_.Event(AnyInt(s.a, s.b, 0, 6), AnyInt(s.b, s.c, -300, 300),
                      static_cast<int32_t>(s.d));
        break;
      case Call::kGetName:
        GetName(s);
        break;
      case Call::kSave: {
        const std::vector<uint8_t> first = target_.Save();
        if (target_.Save() != first) Fail("two saves in a row gave different bytes");
        lastSaved_ = first;
        break;
      }
      case Call::kLoad:
        if (lastSaved_.empty()) lastSaved_ = target_.Save();
        target_.Load(DamagedState(lastSaved_, s.a, s.b, s.c));
        SaveLoadSave();
        break;
      case Call::kPlayStart:
        target_.Dispatch(12, 0, 1 + static_cast<intptr_t>(s.a % 3));
        break;
      case Call::kStopAndCheck:
        StopAndCheck();
        break;
      case Call::kDispatch: {
        // The editor shown and hidden (request 0), and requests a host may
        // send that the plug-in does not serve; 12 has steps of its own.
        int32_t request = s.a % 3 == 0 ? 0 : AnyInt(s.a, s.b, 1, 40);
        if (request == 12) request = 13;
        target_.Dispatch(request, AnyInt(s.c, s.b, 0, 4), static_cast<intptr_t>(s.d % 2));
        break;
      }
      case Call::kIdle:
        target_.Idle();
        break;
      case Call::kEdit:
        target_.Edit(s.a, s.b, s.c);
        break;
      case Call::kHostKills:
        KillAsked(s.a % 4);
        break;
      case Call::kMapLoad:
        if (const std::string fault = target_.MapLoad(s.a, s.b, s.c); !fault.empty()) Fail(fault);
        break;
      case Call::kCount:
        break;
    }
  }

  Target& target_;
  HostileHost& host_;
  std::vector<HostVoice> voices_;
  std::vector<intptr_t> stale_;
  std::vector<uint8_t> lastSaved_;
  uint32_t nextTag_ = 0;
  std::string fault_;
};

}  // namespace detail

inline const char* CallName(Call call) {
  static const char* const kNames[] = {
      "TriggerVoice", "ReleaseVoice", "KillVoice",      "RenderVoice",
      "VoiceEvent",   "ProcessParam", "ProcessEvent",   "GetName",
      "save",         "damaged load", "playback start", "playback stop and check",
      "Dispatch",     "Idle",         "editor edit",    "host kills ended voices",
      "map load"};
  const auto i = static_cast<size_t>(call);
  return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : "?";
}

inline std::string Describe(const Step& step) {
  char text[128];
  std::snprintf(text, sizeof text, "%s %08X %08X %08X %08X", CallName(step.call), step.a, step.b,
                step.c, step.d);
  return text;
}

inline std::vector<Step> DrawSteps(uint64_t seed, size_t n) {
  // Weights per call, in Call order.
  static const uint32_t kWeights[] = {30, 14, 10, 3, 2, 8, 4, 3, 2, 3, 1, 1, 2, 1, 5, 6, 2};
  static_assert(sizeof kWeights / sizeof kWeights[0] == static_cast<size_t>(Call::kCount));
  uint32_t total = 0;
  for (uint32_t w : kWeights) total += w;
  Random random(seed);
  std::vector<Step> steps;
  steps.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    uint32_t pick = random.Word() % total;
    size_t call = 0;
    while (pick >= kWeights[call]) pick -= kWeights[call++];
    steps.push_back(
        {static_cast<Call>(call), random.Word(), random.Word(), random.Word(), random.Word()});
  }
  return steps;
}

template <typename Target>
std::string RunSteps(Target& target, const std::vector<Step>& steps) {
  HostileHost host(detail::kHostTag);
  target.Reset(host);
  detail::Runner<Target> runner(target, host);
  std::string fault = runner.Run(steps);
  target.Close();  // the instance goes before its host does
  return fault;
}

template <typename Target>
std::string RunAndReduce(Target& target, std::vector<Step>& steps) {
  const std::string fault = RunSteps(target, steps);
  if (fault.empty()) return fault;
  for (size_t chunk = steps.size() / 2; chunk >= 1; chunk /= 2) {
    for (size_t start = 0; start < steps.size();) {
      std::vector<Step> shorter(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(start));
      const size_t end = std::min(steps.size(), start + chunk);
      shorter.insert(shorter.end(), steps.begin() + static_cast<std::ptrdiff_t>(end), steps.end());
      if (!RunSteps(target, shorter).empty()) {
        steps.swap(shorter);
      } else {
        start += chunk;
      }
    }
  }
  return fault;
}

}  // namespace hostile
