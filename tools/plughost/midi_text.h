// Readable text for packed MIDI messages: "Note On  ch 1  C3 (60) vel 100".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/note_names.h"
#include "maps/uacc_names.h"

inline std::string ControllerName(int cc) {
  switch (cc) {
    case 1:
      return "Modwheel";
    case 2:
      return "Breath";
    case 7:
      return "Volume";
    case 10:
      return "Pan";
    case 11:
      return "Expression";
    case 16:
      return "Speed";
    case 21:
      return "Vibrato";
    case 32:
      return "UACC";  // DescribeMessage adds the value's name
    case 64:
      return "Hold";
    default:
      return "";
  }
}

inline std::string DescribeMessage(uint32_t message) {
  const int status = message & 0xFF, data1 = (message >> 8) & 0xFF, data2 = (message >> 16) & 0xFF,
            port = message >> 24;
  const int channel = (status & 0x0F) + 1;
  char text[96];
  switch (status & 0xF0) {
    case 0x90:
      std::snprintf(text, sizeof text, "Note On   ch %-2d %-4s (%3d) vel %3d", channel,
                    NoteName(data1).c_str(), data1, data2);
      break;
    case 0x80:
      std::snprintf(text, sizeof text, "Note Off  ch %-2d %-4s (%3d)", channel,
                    NoteName(data1).c_str(), data1);
      break;
    case 0xB0:
      std::snprintf(text, sizeof text, "CC %-3d    ch %-2d value %3d  %s", data1, channel, data2,
                    ControllerName(data1).c_str());
      break;
    case 0xE0:
      std::snprintf(text, sizeof text, "PitchBend ch %-2d value %d", channel,
                    (data2 << 7 | data1) - 8192);
      break;
    case 0xC0:
      std::snprintf(text, sizeof text, "Program   ch %-2d %d", channel, data1);
      break;
    case 0xA0:
      std::snprintf(text, sizeof text, "Poly AT   ch %-2d %-4s (%3d) value %3d", channel,
                    NoteName(data1).c_str(), data1, data2);
      break;
    case 0xD0:
      std::snprintf(text, sizeof text, "Pressure  ch %-2d value %3d", channel, data1);
      break;
    default:
      std::snprintf(text, sizeof text, "status %02X data %02X %02X", status, data1, data2);
  }
  std::string line = text;
  if ((status & 0xF0) == 0xB0 && data1 == 32 && UaccName(data2))
    line += std::string(" (") + UaccName(data2) + ")";
  char raw[40];
  std::snprintf(raw, sizeof raw, "   [%02X %02X %02X] port %d", status, data1, data2, port);
  // Trailing blanks of a short description are dropped before the raw bytes.
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line + raw;
}
