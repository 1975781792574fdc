// A slot as the items an export keeps or loses one by one: each message it
// sends, its transpose, each channel its notes play on, its icon. Writers
// name what their format cannot hold in these words, and the export's
// read-back compares slots in them, so a warning names the same item
// whichever of the two found it.
#pragma once

#include <string>
#include <vector>

#include "maps/formats/xml_support.h"
#include "maps/plugin_settings.h"

// "keyswitch C0 v100", "UACC 20", "modwheel 96", "note D0 v90", "held note E1
// v100 on channel 2", "CC 58 = 9", "program 5", "pitch bend -4096".
std::string MessageItem(const SlotMessage& message);
// "notes on channel 2"; channel 0: "notes on the plug-in's channel".
std::string NoteChannelItem(int channel);
std::string TransposeItem(int semitones);  // "transpose -12"
std::string LatencyItem(int milliseconds);  // "latency 250 ms"
std::string IconItem(int icon);            // "icon 9 (pizz)"

// The slot's messages in send order, as MessageItem names them.
std::vector<std::string> MessageItems(const SlotSettings& slot);
// Its transpose and latency (each when not 0) and each channel its notes
// play on.
std::vector<std::string> NoteSettingItems(const SlotSettings& slot);

// One item a writer could not put into its format as the slot has it, and
// why, in the format's terms: "an .expressionmap has no held notes".
struct ExportLoss {
  int slot = 0;  // 0-based
  std::string item;
  std::string reason;
};
using ExportLosses = std::vector<ExportLoss>;
