// The files render, colour and retarget write: the MIDI file and, when
// asked for, its picture. Both are made in memory first; the picture is
// written before the MIDI file and removed again if that fails, so a
// command leaves both files or neither.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/plugin_settings.h"
#include "tools/render/piano_roll.h"

struct ResultFiles {
  std::string midiPath;
  std::vector<uint8_t> midi;
  std::string picturePath;  // empty: no picture
  std::vector<uint8_t> png;
};

// The picture of a roll, its legend naming the slots of `settings`.
std::vector<uint8_t> PianoRollPng(const PianoRoll& roll, const PluginSettings& settings,
                                  const std::string& title);

// Writes both files; on failure returns the exit status after the message.
int WriteResultFiles(const ResultFiles& files);
