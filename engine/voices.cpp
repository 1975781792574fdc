// Voices and the articulation switch: what a note sends, and when.
#include <bit>
#include <cstring>

#include "engine/engine.h"
#include "engine/note_number.h"
#include "engine/velocity.h"
#include "engine/voice_params.h"

namespace {
constexpr int32_t kColourQuery = 2;
constexpr int32_t kVoiceEnded = 1;
constexpr int32_t kUaccController = 32;
constexpr int32_t kModwheelController = 1;

// The channels of a slot's channel set, the plug-in's own standing for its
// bit; never empty.
uint16_t ResolveChannels(uint32_t channelSet, uint8_t pluginChannel) {
  uint32_t channels = channelSet & 0xFFFFu;
  if ((channelSet & kPluginChannelBit) != 0 || channels == 0) channels |= 1u << pluginChannel;
  return static_cast<uint16_t>(channels);
}

int32_t Transposed(int32_t note, int32_t transpose) {
  const int32_t moved = note + transpose;
  return moved < 0 ? 0 : moved > 127 ? 127 : moved;
}
}  // namespace

intptr_t ArticulationEngine::TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) {
  if (voiceParams == nullptr) return 0;
  // The pitch is checked before a record is taken, so a note that cannot be
  // sent leaves no trace: no colour query, no slot change, no repaint.
  const int32_t note =
      NoteNumberForPitch(ReadVoiceParamsFloat(voiceParams, kVoiceParamsPitchOffset));
  if (note == kNoNote) return 0;

  VoiceRecord* record = voices_.Allocate(hostVoiceTag);
  if (record == nullptr) return 0;

  const int32_t colour = host_->QueryVoice(record->hostVoiceTag, kColourQuery, 0, 0);
  // The host promises colours 0..15. Any other answer selects no
  // articulation: the note plays with whatever is in force, on the plug-in's
  // channel as it stands, and currentSlot and the SentCache stay as they
  // are, so the bank is never indexed out of range and an unexpected colour
  // never switches the instrument.
  const bool knownColour = colour >= 0 && colour < kSlotCount;
  // A slot other than the one whose actions went out last sends its own.
  // Decided once: a reset of the cache on another thread meanwhile takes
  // effect at the next note.
  const bool newActionSlot = knownColour && model.sent.lastActionSlot != colour;
  SlotPlayback additions;
  model.additions.Read(knownColour ? colour : -1, newActionSlot, additions);
  if (knownColour) model.currentSlot = colour;
  RequestRepaint(true);
  const uint16_t channels = ResolveChannels(additions.noteChannels, output_.Channel());
  // Before the switch, so a chased CC 1 never overrides the slot's modwheel.
  output_.ChaseControllers(channels);
  if (knownColour) SwitchArticulation(colour, newActionSlot, additions);

  // Layered on each of the slot's channels, lowest first; the record's
  // message names the lowest.
  const uint8_t status = midi::kNoteOn | static_cast<uint8_t>(std::countr_zero(channels));
  const uint8_t velocity =
      VelocityForLevel(ReadVoiceParamsFloat(voiceParams, kVoiceParamsLevelOffset));
  voices_.StartNote(
      record, midi::Pack(status, Transposed(note, additions.transpose), velocity, output_.Port()),
      channels);
  for (uint32_t rest = channels; rest != 0; rest &= rest - 1) {
    output_.EmitMidi(OnChannel(record->message, std::countr_zero(rest)));
  }
  return VoiceTable::Handle(record);
}

void ArticulationEngine::SwitchArticulation(int32_t slot, bool newActionSlot,
                                            const SlotPlayback& additions) {
  const uint8_t port = output_.Port();
  const uint8_t channel = output_.Channel();
  SentCache& sent = model.sent;
  // A new action slot ends the notes the last one's actions hold, and sends
  // its own actions after its fields.
  if (newActionSlot) ReleaseHeldActionNotes();

  // -1 leaves the cache entry alone: the previous slot's value stays in
  // force and is not sent again.
  const int32_t keyswitch = additions.fields.keyswitch;
  const int32_t keyswitchVelocity = additions.keyswitchVelocity;
  if (keyswitch != kUnset &&
      (keyswitch != sent.lastKeyswitch || keyswitchVelocity != sent.lastKeyswitchVelocity)) {
    sent.lastKeyswitch = keyswitch;
    sent.lastKeyswitchVelocity = keyswitchVelocity;
    output_.SendNote(port, channel, false, keyswitch, keyswitchVelocity);
    output_.SendNote(port, channel, true, keyswitch, 0);
  }
  const int32_t uacc = additions.fields.uacc;
  if (uacc != kUnset && uacc != sent.lastUacc) {
    sent.lastUacc = uacc;
    output_.SendControlChange(port, channel, kUaccController, uacc);
  }
  const int32_t modwheel = additions.fields.modwheel;
  if (modwheel != kUnset && modwheel != sent.lastModwheel) {
    sent.lastModwheel = modwheel;
    output_.SendControlChange(port, channel, kModwheelController, modwheel);
  }

  if (!newActionSlot) return;
  const int count =
      additions.actionCount < kMaxActionWords ? additions.actionCount : kMaxActionWords;
  output_.EmitActions(additions.actions, count, channel, port);
  for (uint64_t held = additions.heldNoteOns; held != 0; held &= held - 1) {
    const int i = std::countr_zero(held);
    if (i >= count) break;
    // With every entry in use the note is ended rather than left on.
    const MidiMessage on = ActionMessage(additions.actions[i], channel, port);
    if (!heldActionNotes_.Add(on)) output_.EmitMidi(midi::NoteOffFor(on));
  }
  sent.lastActionSlot = slot;
}

void ArticulationEngine::ReleaseHeldActionNotes() {
  heldActionNotes_.ReleaseAll([this](MidiMessage noteOff) { output_.EmitMidi(noteOff); });
}

void ArticulationEngine::SendNoteOffs(VoiceRecord* record, uint16_t channels) {
  // The note-on's own channels and port: an edit or a load that moved the
  // output since then must not leave the note sounding where it started.
  const MidiMessage m = record->message;
  record->message =
      midi::Pack(midi::kNoteOff | (midi::Status(m) & 0x0F), midi::Data1(m), 0, midi::Port(m));
  for (uint32_t rest = channels; rest != 0; rest &= rest - 1) {
    output_.EmitMidi(OnChannel(record->message, std::countr_zero(rest)));
  }
}

void ArticulationEngine::ReleaseVoice(intptr_t handle) {
  VoiceRecord* record = voices_.Find(handle);
  if (record == nullptr) return;
  // Another unreleased voice on the same note, channel and port keeps it
  // sounding; its own release sends the note-off. A released voice holds
  // nothing back, so two overlapping voices of one key can never both wait
  // for each other.
  const uint16_t due = voices_.Release(record);
  if (due != 0) SendNoteOffs(record, due);
  host_->EndVoice(record->hostVoiceTag, kVoiceEnded);
}

void ArticulationEngine::KillVoice(intptr_t handle) {
  VoiceRecord* record = voices_.Find(handle);
  if (record == nullptr) return;
  // A kill without a release always ends the note, shared or not.
  if (record->released == 0) SendNoteOffs(record, record->channels);
  voices_.Free(record);
}

int32_t ArticulationEngine::RenderVoice(intptr_t, float* buffer, const int32_t* length) {
  if (buffer == nullptr || length == nullptr || *length <= 0) return 0;
  std::memset(buffer, 0, sizeof(float) * 2 * static_cast<size_t>(*length));
  return 0;
}
