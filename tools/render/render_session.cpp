#include "tools/render/render_session.h"

#include <algorithm>
#include <array>
#include <string>

#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_writer.h"
#include "tools/render/host_voice_params.h"
#include "tools/render/host_voices.h"
#include "tools/render/latency_shift.h"
#include "tools/render/sent_track.h"

namespace {

constexpr int32_t kParamUpdateValue = 0x01;
constexpr int32_t kEventPan = 2;
constexpr int32_t kEventVolume = 3;
// Events played between two progress reports.
constexpr size_t kProgressStride = 4096;

bool IsParameterController(int cc) {
  return cc == 1 || cc == 2 || cc == 11 || cc == 16 || cc == 21 || cc == 64;
}

// A note-on of the same key and velocity on a lower channel: another layer
// of the same note.
bool SameNoteOtherChannel(uint32_t earlier, uint32_t last) {
  return (earlier & 0xF0) == 0x90 && (earlier & 0xFFFFF0) == (last & 0xFFFFF0) &&
         (earlier & 0x0F) < (last & 0x0F);
}

// The first track: the input's tempo and metre changes. Also measures the
// input's length, under the same tempo changes, and fills in its tempo map.
void WriteConductor(const std::vector<uint8_t>& input, const MidiLayout& layout,
                    std::vector<uint8_t>& output, RenderSummary& summary, TempoMap& tempo) {
  MidiTrackWriter conductor(output);
  MergedMidiEvents events(input, layout);
  MidiEventView e;
  uint64_t end = 0;
  while (events.Next(e)) {
    end = e.tick;
    if (e.kind != MidiEvent::Kind::Meta) continue;
    tempo.Add(e);
    if (e.metaType == kMetaTempo || e.metaType == kMetaTimeSignature) conductor.Add(e);
    if (e.metaType == kMetaTimeSignature && e.payloadSize >= 2)
      AddMetre(summary.metres, e.tick, e.payload[0], e.payload[1]);
  }
  conductor.Finish();
  summary.endTick = end;
  summary.seconds = layout.events ? tempo.Seconds(end) : 0.0;
}

class RenderSession final : public RenderListener {
 public:
  RenderSession(RenderTarget& plugin, const VelocityLevels& levels, RenderSummary& summary,
                PianoRoll* picture, const LatencyShift& shift, const NoteOutputs& outputs,
                int leadMs)
      : plugin_(plugin),
        levels_(levels),
        summary_(summary),
        picture_(picture),
        shift_(shift),
        outputs_(outputs),
        leadMs_(leadMs) {
    summary_.leadMs = leadMs;
  }

  // Plays the input and writes what the plug-in sent as the output's
  // second track. `moved`, when set, is `events` itself, with the note-ons
  // moved earlier.
  void Play(const HostMix& mix, MidiEventSource& events, const EarlierNoteOns* moved, size_t total,
            std::vector<uint8_t>& output, const RenderProgress& progress) {
    MidiTrackWriter out(output);
    SentTrack sent(out, summary_.clippedDataBytes, leadMs_ >= 0);
    sent_ = &sent;
    const std::string name = plugin_.Name() + " output";
    out.Meta(0, kMetaTrackName, reinterpret_cast<const uint8_t*>(name.data()),
             static_cast<uint32_t>(name.size()));

    // A host reports its mixer's pan and volume for the channel as it loads
    // a plug-in, before playback: the plug-in's own start values would make
    // the output begin silent and hard left. Playback starts before the
    // first event, at tick 0.
    tick_ = 0;
    summary_.mix = mix;
    opening_ = true;
    plugin_.ProcessEvent(kEventPan, mix.pan, 0);
    plugin_.ProcessEvent(kEventVolume, mix.volume, 0);
    const size_t reported = openingMessages_.size();
    plugin_.Playback(true);
    opening_ = false;
    WriteOpening(reported);
    MidiEventView e;
    int track = 0;
    size_t played = 0;
    while (events.Next(e, track)) {
      tick_ = e.tick;
      if (leadMs_ >= 0) sent.Settle(EarliestLead());
      if (e.kind == MidiEvent::Kind::Channel) PlayEvent(e, moved ? moved->WrittenTick() : e.tick);
      if (picture_) picture_->Event(e);
      if (++played % kProgressStride == 0 && progress) progress(played, total);
    }
    // Playback stops at the end of the file; the plug-in reports every voice
    // still in its table, and the host kills them.
    plugin_.Playback(false);
    summary_.endedAtStop = static_cast<int>(ended_.size());
    KillEndedVoices();
    sent.Finish();
    out.Finish();
    sent_ = nullptr;
  }

  // RenderListener
  void OnMidi(uint32_t message) override {
    if (opening_) {
      openingMessages_.push_back(message);
      return;
    }
    ++summary_.messagesOut;
    const uint8_t status = message & 0xFF;
    const bool channel = status >= 0x80 && status < 0xF0;
    if (inTrigger_ && channel) {
      triggerMessages_.push_back(message);
      // With a lead, where a trigger's messages go is known once it returns.
      if (leadMs_ >= 0) return;
    }
    sent_->Place(tick_, message);
  }
  void OnVoiceEnded(int32_t tag) override { ended_.push_back(tag); }
  int32_t OnColour(int32_t tag) override { return voices_.Colour(tag); }

 private:
  // The host's mix report makes the plug-in send pan and volume, and
  // playback start sends every controller again, those two among them: a
  // reported message that playback start repeats exactly (value, channel
  // and port) is written once, where playback start sends it. The
  // instrument hears the same at tick 0; the file says it once.
  void WriteOpening(size_t reported) {
    const auto start = openingMessages_.begin() + static_cast<std::ptrdiff_t>(reported);
    for (size_t i = 0; i < openingMessages_.size(); ++i) {
      const uint32_t m = openingMessages_[i];
      if (i < reported && std::find(start, openingMessages_.end(), m) != openingMessages_.end())
        continue;
      ++summary_.messagesOut;
      sent_->Place(0, m);
    }
    openingMessages_.clear();
  }

  // `written`: the tick the event was written at, later than the current
  // one for a note-on moved earlier by its slot's latency.
  void PlayEvent(const MidiEventView& e, uint64_t written) {
    const int kind = e.status & 0xF0;
    const int channel = e.status & 0x0F;
    if (kind == 0x90 && e.data2 > 0) {
      NoteOn(channel, e.data1, e.data2, written);
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

  void NoteOn(int channel, int note, int velocity, uint64_t written) {
    ++summary_.notesIn;
    ++summary_.notesByColour[channel];
    // A note moved earlier that lands while an earlier note of its key
    // sounds where it will, of any colour, ends that note first, as a
    // sequencer plays a new note of a key already down: the earlier note's
    // own note-off, still to come, then ends nothing.
    if (written > tick_) {
      bool cut = false;
      outputs_.ForEachSharing(channel, note, [&](int colour, int key) {
        if (!voices_.ReleaseAll(colour, key, released_)) return;
        cut = true;
        ReleaseEnded(colour, key, released_.size());
      });
      if (cut) ++summary_.compensation.restruck[channel];
    }
    const int32_t tag = voices_.Start(channel);
    HostVoiceParams params;
    params.level = levels_.LevelFor(velocity);
    params.pitch = static_cast<float>((note - 60) * 100);

    triggerMessages_.clear();
    inTrigger_ = true;
    const intptr_t handle = plugin_.TriggerVoice(&params, tag);
    inTrigger_ = false;
    // What went out before the note's own note-ons is the articulation
    // switch. A layered note ends the call with one note-on per channel,
    // the same key and velocity each.
    size_t own = triggerMessages_.empty() ? 0 : 1;
    while (own < triggerMessages_.size() &&
           SameNoteOtherChannel(triggerMessages_[triggerMessages_.size() - 1 - own],
                                triggerMessages_.back()))
      ++own;
    const size_t switches = triggerMessages_.size() - own;
    const uint64_t switchTick = leadMs_ >= 0 ? PlaceTrigger(switches, handle != 0) : tick_;
    for (size_t i = 0; i < switches; ++i) {
      const uint32_t m = triggerMessages_[i];
      const int status = m & 0xF0, data1 = (m >> 8) & 0x7F, data2 = (m >> 16) & 0x7F;
      if (status == 0x90 && data2 > 0) ++summary_.keyswitches;
      if (status == 0xB0 && data1 == 32) ++summary_.uaccChanges;
      if (status == 0xB0 && data1 == 1) ++summary_.modwheelChanges;
      if (picture_) picture_->Switch(switchTick);
    }
    if (!handle) {
      ++summary_.droppedNotes;
      voices_.Forget(tag);
      return;
    }
    voices_.Hold(tag, handle, channel, note, written);
    if (picture_) picture_->NoteOn(tick_, channel, note, channel);
  }

  // Every note of the key sounding on the channel ends (host_voices.h).
  // The note-offs of notes ended so are owed: one that comes while no
  // note written before it sounds is theirs, and ends nothing (not even a
  // note written at its own tick, as a moved note may be).
  void NoteOff(int channel, int note) {
    uint16_t& owed = owedNoteOffs_[channel * 128 + note];
    if (owed > 0 && !voices_.HeldBefore(channel, note, tick_)) {
      --owed;
      return;
    }
    if (voices_.Release(channel, note, tick_, released_))
      ReleaseEnded(channel, note, released_.size() - 1);
    else
      ++summary_.unmatchedNoteOffs;
  }

  // Releases the voices in released_; `owed` of their note-offs are still
  // to come.
  void ReleaseEnded(int channel, int note, size_t owed) {
    for (int32_t tag : released_) {
      plugin_.ReleaseVoice(voices_.Handle(tag));
      if (picture_) picture_->NoteOff(tick_, channel, note);
    }
    uint16_t& count = owedNoteOffs_[channel * 128 + note];
    count = static_cast<uint16_t>(std::min<size_t>(count + owed, UINT16_MAX));
  }

  // The earliest tick a lead can give a note at the current tick or later.
  uint64_t EarliestLead() const {
    bool clamped = false;
    return tick_ ? std::min(shift_.Earlier(tick_, std::max(leadMs_, 0), clamped), tick_ - 1) : 0;
  }

  // Places the messages of the trigger just made: its first `switches`
  // messages led before the note, the note's own at its tick. Returns
  // where the switch went.
  uint64_t PlaceTrigger(size_t switches, bool played) {
    uint64_t at = tick_;
    if (switches > 0 && played) {
      ++summary_.leads;
      bool clamped = false;
      at = tick_ ? std::min(shift_.Earlier(tick_, std::max(leadMs_, 0), clamped), tick_ - 1) : 0;
      clamped = clamped || tick_ == 0;
      uint64_t earliest = 0;
      for (size_t i = 0; i < switches; ++i)
        earliest = std::max(earliest, sent_->EarliestFor(triggerMessages_[i]));
      if (earliest > at) {
        at = earliest;
        ++summary_.leadsBlocked;
      } else if (clamped) {
        ++summary_.leadsAtStart;
      }
    }
    for (size_t i = 0; i < triggerMessages_.size(); ++i)
      sent_->Place(i < switches ? at : tick_, triggerMessages_[i]);
    return at;
  }

  // Kills the voices the plug-in reported as ended, once its call has
  // returned: never from inside one of its own calls. A kill may report
  // more; they are killed in the order reported.
  void KillEndedVoices() {
    for (size_t i = 0; i < ended_.size(); ++i) {
      intptr_t handle = 0;
      if (voices_.End(ended_[i], handle)) plugin_.KillVoice(handle);
    }
    ended_.clear();
  }

  RenderTarget& plugin_;
  const VelocityLevels& levels_;
  RenderSummary& summary_;
  PianoRoll* picture_;
  const LatencyShift& shift_;
  const NoteOutputs& outputs_;
  const int leadMs_;
  SentTrack* sent_ = nullptr;  // what the plug-in sent, while playing
  uint64_t tick_ = 0;
  HostVoices voices_;
  std::vector<int32_t> ended_;
  std::vector<int32_t> released_;  // the voices a note-off just ended
  // Per channel and key: note-offs still to come of notes already ended.
  std::array<uint16_t, 16 * 128> owedNoteOffs_{};
  bool inTrigger_ = false;
  std::vector<uint32_t> triggerMessages_;
  bool opening_ = false;  // before the first event: the mix report and playback start
  std::vector<uint32_t> openingMessages_;
};

}  // namespace

void RenderThrough(RenderTarget& target, const VelocityLevels& levels, const RenderRequest& request,
                   std::vector<uint8_t>& output, RenderSummary& summary) {
  const std::vector<uint8_t>& input = *request.input;
  const MidiLayout& layout = *request.layout;
  output.clear();
  summary.division = layout.division;
  WriteMidiHeader(output, 1, layout.division, 2);
  TempoMap tempo(layout.division);
  WriteConductor(input, layout, output, summary, tempo);
  const LatencyShift shift(tempo);
  MergedMidiEvents own(input, layout);
  MidiEventSource& events = request.events ? *request.events : own;
  summary.compensated = request.latencies != nullptr;
  if (request.latencies) summary.compensation.latencies = *request.latencies;
  bool moves = false;
  for (uint16_t ms : summary.compensation.latencies) moves = moves || ms > 0;
  CountedOverlaps counted(events, summary.overlaps, &request.outputs);
  EarlierNoteOns early(counted, shift, summary.compensation);
  RenderSession session(target, levels, summary, request.picture, shift, request.outputs,
                        request.leadMs);
  target.Attach(&session);
  if (moves)
    session.Play(request.mix, early, &early, layout.events, output, request.progress);
  else
    session.Play(request.mix, counted, nullptr, layout.events, output, request.progress);
  target.Attach(nullptr);
  if (request.picture) request.picture->Finish();
}
