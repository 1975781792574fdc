// The baseline the voice table is measured against: the plain design with a
// 20480-pointer array, one heap record per voice, and a linear scan for each
// allocation, lookup, same-note search and free. Same messages, same order;
// only the bookkeeping differs.
#pragma once

#include <cstdint>

#include "engine/data_model.h"
#include "engine/midi_output.h"
#include "engine/note_number.h"
#include "engine/velocity.h"
#include "engine/voice_params.h"
#include "engine/voice_table.h"

class LiteralVoiceEngine {
 public:
  LiteralVoiceEngine(PluginHost* host, int32_t hostTag)
      : host_(host), output_(host, hostTag, model) {
    for (VoiceRecord*& entry : table_) entry = nullptr;
  }
  ~LiteralVoiceEngine() {
    for (VoiceRecord* entry : table_) delete entry;
  }

  intptr_t TriggerVoice(const void* params, int32_t tag) {
    const int32_t note = NoteNumberForPitch(ReadVoiceParamsFloat(params, kVoiceParamsPitchOffset));
    if (note == kNoNote) return 0;
    VoiceRecord* record = AllocateVoice(tag);
    if (record == nullptr) return 0;
    const int32_t colour = host_->QueryVoice(record->hostVoiceTag, 2, 0, 0);
    if (colour >= 0 && colour < kSlotCount) {
      model.currentSlot = colour;
      SwitchArticulation(colour);
    }
    const uint8_t velocity =
        VelocityForLevel(ReadVoiceParamsFloat(params, kVoiceParamsLevelOffset));
    record->message = midi::Pack(midi::kNoteOn | output_.Channel(), note, velocity, output_.Port());
    output_.EmitMidi(record->message);
    return reinterpret_cast<intptr_t>(record);
  }

  void ReleaseVoice(intptr_t handle) {
    VoiceRecord* record = FindVoice(handle);
    if (record == nullptr) return;
    const uint8_t note = midi::Data1(record->message);
    bool shared = false;
    for (VoiceRecord* other : table_) {
      if (other != nullptr && other != record && midi::Data1(other->message) == note) {
        shared = true;
        break;
      }
    }
    if (!shared) SendNoteOff(record);
    record->released = 1;
    host_->EndVoice(record->hostVoiceTag, 1);
  }

  void KillVoice(intptr_t handle) {
    VoiceRecord* record = FindVoice(handle);
    if (record == nullptr) return;
    if (record->released == 0) SendNoteOff(record);
    FreeVoice(handle);
  }

  DataModel model;

 private:
  VoiceRecord* AllocateVoice(int32_t tag) {
    for (VoiceRecord*& entry : table_) {
      if (entry == nullptr) {
        entry = new VoiceRecord{};
        entry->hostVoiceTag = tag;
        return entry;
      }
    }
    return nullptr;
  }
  VoiceRecord* FindVoice(intptr_t handle) const {
    for (VoiceRecord* entry : table_) {
      if (entry != nullptr && reinterpret_cast<intptr_t>(entry) == handle) return entry;
    }
    return nullptr;
  }
  void FreeVoice(intptr_t handle) {
    for (VoiceRecord*& entry : table_) {
      if (entry != nullptr && reinterpret_cast<intptr_t>(entry) == handle) {
        delete entry;
        entry = nullptr;
      }
    }
  }
  void SendNoteOff(VoiceRecord* record) {
    const MidiMessage m = record->message;
    record->message =
        midi::Pack(midi::kNoteOff | output_.Channel(), midi::Data1(m), 0, midi::Port(m));
    output_.EmitMidi(record->message);
  }
  void SwitchArticulation(int32_t slot) {
    const uint8_t port = output_.Port();
    const uint8_t channel = output_.Channel();
    const int32_t k = model.bank.keyswitch[slot];
    if (k != kUnset && k != model.sent.lastKeyswitch) {
      model.sent.lastKeyswitch = k;
      output_.SendNote(port, channel, false, k, 127);
      output_.SendNote(port, channel, true, k, 0);
    }
    const int32_t u = model.bank.uacc[slot];
    if (u != kUnset && u != model.sent.lastUacc) {
      model.sent.lastUacc = u;
      output_.SendControlChange(port, channel, 32, u);
    }
    const int32_t m = model.bank.modwheel[slot];
    if (m != kUnset && m != model.sent.lastModwheel) {
      model.sent.lastModwheel = m;
      output_.SendControlChange(port, channel, 1, m);
    }
  }

  PluginHost* host_;
  MidiOutput output_;
  VoiceRecord* table_[kVoiceCapacity];
};
