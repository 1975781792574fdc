#include "tools/plughost/render.h"

#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kDispatchPlayback = 12;
constexpr int32_t kParamUpdateValue = 0x01;
constexpr int32_t kEventPan = 2;
constexpr int32_t kEventVolume = 3;

bool IsParameterController(int cc) {
  return cc == 1 || cc == 2 || cc == 11 || cc == 16 || cc == 21 || cc == 64;
}

class RenderSession final : public HostListener {
 public:
  RenderSession(const RawPlugin& plugin, const VelocityLevels& levels, RenderSummary& summary)
      : plugin_(plugin), levels_(levels), summary_(summary) {}

  void Play(const MidiFile& input, MidiFile& output) {
    const std::vector<MidiEvent> events = MergeTracks(input);
    out_.clear();
    conductor_.clear();
    out_.push_back(MidiEvent::Meta(0, kMetaTrackName, Bytes(TrackName())));

    // Playback starts before the first event, at tick 0.
    tick_ = 0;
    plugin_.Dispatch(kDispatchPlayback, 0, 1);
    uint64_t end = 0;
    for (const MidiEvent& e : events) {
      tick_ = e.tick;
      end = e.tick;
      if (e.kind == MidiEvent::Kind::Meta) {
        // Tempo and metre come along, so the output's times are the input's.
        if (e.metaType == kMetaTempo || e.metaType == kMetaTimeSignature)
          conductor_.push_back(MidiEvent::Meta(e.tick, e.metaType, e.payload));
      } else if (e.kind == MidiEvent::Kind::Channel) {
        PlayEvent(e);
      }
    }
    // Playback stops at the end of the file; the plug-in reports every voice
    // still in its table, and the host kills them.
    tick_ = end;
    plugin_.Dispatch(kDispatchPlayback, 0, 0);
    summary_.endedAtStop = static_cast<int>(ended_.size());
    KillEndedVoices();

    output.format = 1;
    output.division = input.division;
    output.tracks.clear();
    output.tracks.push_back(std::move(conductor_));
    output.tracks.push_back(std::move(out_));
  }

  // HostListener
  void OnMidi(uint32_t message) override {
    ++summary_.messagesOut;
    const uint8_t status = message & 0xFF;
    const uint8_t port = static_cast<uint8_t>(message >> 24);
    if (port != port_) {
      // A port change is marked the way sequencers mark it: a port meta event.
      out_.push_back(MidiEvent::Meta(tick_, kMetaPort, {port}));
      port_ = port;
    }
    if (status < 0x80 || status >= 0xF0) return;  // not a channel message; nothing to record
    // A file cannot hold data bytes above 127 (a state made by hand can ask
    // for them); they are written with the top bit cleared, and counted.
    if (message & 0x00808000) ++summary_.clippedDataBytes;
    out_.push_back(
        MidiEvent::Channel(tick_, status, (message >> 8) & 0x7F, (message >> 16) & 0x7F));
    if (inTrigger_) triggerMessages_.push_back(message);
  }
  void OnVoiceEnded(int32_t tag) override { ended_.push_back(tag); }
  int32_t OnColour(int32_t tag) override {
    const auto it = voices_.find(tag);
    return it == voices_.end() ? 0 : it->second.colour;
  }

 private:
  struct Voice {
    int32_t colour = 0;
    intptr_t handle = 0;
  };

  static std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
  }
  std::string TrackName() const {
    const int32_t* words = plugin_.descriptorWords();
    const char* name = words ? reinterpret_cast<const char*>(words[1]) : nullptr;
    return std::string(name ? name : "plug-in") + " output";
  }

  void PlayEvent(const MidiEvent& e) {
    const int kind = e.status & 0xF0;
    const int channel = e.status & 0x0F;
    if (kind == 0x90 && e.data2 > 0) {
      NoteOn(channel, e.data1, e.data2);
    } else if (kind == 0x80 || kind == 0x90) {
      NoteOff(channel, e.data1);
    } else if (kind == 0xB0 && IsParameterController(e.data1)) {
      ++summary_.controllerEvents;
      plugin_.ProcessParam(e.data1 - 1, e.data2, kParamUpdateValue);
    } else if (kind == 0xB0 && (e.data1 == 10 || e.data1 == 7)) {
      ++summary_.controllerEvents;
      plugin_.ProcessEvent(e.data1 == 10 ? kEventPan : kEventVolume, e.data2, 0);
    } else {
      ++summary_.ignoredEvents;
    }
    KillEndedVoices();
  }

  void NoteOn(int channel, int note, int velocity) {
    ++summary_.notesIn;
    const int32_t tag = nextTag_++;
    voices_[tag].colour = channel;
    HostVoiceParams params;
    params.level = levels_.LevelFor(velocity);
    params.pitch = static_cast<float>((note - 60) * 100);

    triggerMessages_.clear();
    inTrigger_ = true;
    const intptr_t handle = plugin_.TriggerVoice(&params, tag);
    inTrigger_ = false;
    // What went out before the note's own note-on (the last message) is the
    // articulation switch.
    for (size_t i = 0; i + 1 < triggerMessages_.size(); ++i) {
      const uint32_t m = triggerMessages_[i];
      const int status = m & 0xF0, data1 = (m >> 8) & 0x7F, data2 = (m >> 16) & 0x7F;
      if (status == 0x90 && data2 > 0) ++summary_.keyswitches;
      if (status == 0xB0 && data1 == 32) ++summary_.uaccChanges;
      if (status == 0xB0 && data1 == 1) ++summary_.modwheelChanges;
    }
    if (!handle) {
      ++summary_.droppedNotes;
      voices_.erase(tag);
      return;
    }
    voices_[tag].handle = handle;
    held_[{channel, note}].push_back(tag);
  }

  void NoteOff(int channel, int note) {
    auto it = held_.find({channel, note});
    if (it == held_.end() || it->second.empty()) {
      ++summary_.unmatchedNoteOffs;
      return;
    }
    // The earliest note still held on that channel and key ends first.
    const int32_t tag = it->second.front();
    it->second.pop_front();
    plugin_.ReleaseVoice(voices_[tag].handle);
  }

  // Kills the voices the plug-in reported as ended, once its call has
  // returned: never from inside one of its own calls.
  void KillEndedVoices() {
    while (!ended_.empty()) {
      const int32_t tag = ended_.front();
      ended_.pop_front();
      const auto voice = voices_.find(tag);
      if (voice == voices_.end()) continue;
      const intptr_t handle = voice->second.handle;
      voices_.erase(voice);
      for (auto& [key, tags] : held_)
        for (auto t = tags.begin(); t != tags.end(); ++t)
          if (*t == tag) {
            tags.erase(t);
            break;
          }
      plugin_.KillVoice(handle);
    }
  }

  const RawPlugin& plugin_;
  const VelocityLevels& levels_;
  RenderSummary& summary_;
  std::vector<MidiEvent> conductor_;  // tempo and metre of the input
  std::vector<MidiEvent> out_;        // what the plug-in sent
  uint64_t tick_ = 0;
  uint8_t port_ = 0;
  int32_t nextTag_ = 1;
  std::map<int32_t, Voice> voices_;
  std::map<std::pair<int, int>, std::deque<int32_t>> held_;
  std::deque<int32_t> ended_;
  bool inTrigger_ = false;
  std::vector<uint32_t> triggerMessages_;
};

}  // namespace

void RenderThroughPlugin(const PluginInstance& instance, PlugHost& host,
                         const VelocityLevels& levels, const MidiFile& input, MidiFile& output,
                         RenderSummary& summary) {
  RenderSession session(instance.plugin(), levels, summary);
  host.SetListener(&session);
  session.Play(input, output);
  host.SetListener(nullptr);
}
