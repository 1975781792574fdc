#include "tools/plughost/compensation_report.h"

#include <cstdio>
#include <string>

#include "maps/counted.h"
#include "tools/plughost/console_text.h"
#include "tools/render/slot_outputs.h"

namespace {

std::string OfSlot(const CompensationSummary& summary, const PluginSettings& settings, int slot) {
  return "of " + SlotLabel(settings, slot) + " (" + std::to_string(summary.latencies[slot]) +
         " ms)";
}

// One line per slot whose notes moved, or a line saying nothing could.
void PrintMoved(const CompensationSummary& summary, const PluginSettings& settings,
                const char* heading, const char* direction) {
  bool any = false;
  for (int s = 0; s < kSlotCount; ++s) {
    if (!summary.moved[s]) continue;
    any = true;
    Print("  %-18s %s of %s moved %d ms %s\n", heading, Counted(summary.moved[s], "note").c_str(),
          SlotLabel(settings, s).c_str(), summary.latencies[s], direction);
  }
  if (any) return;
  bool latency = false;
  for (uint16_t ms : summary.latencies) latency = latency || ms > 0;
  Print("  %-18s nothing moved: %s\n", heading,
        latency ? "no note of a slot with a latency moved" : "no slot has a latency");
}

// The notes of a slot with a latency that kept their tick, and why.
void PrintUnmoved(const CompensationSummary& summary, const PluginSettings& settings, int slot) {
  if (summary.unmovedAtStart[slot])
    Print("  not moved:         %s %s written at tick 0, where nothing can go earlier\n",
          Counted(summary.unmovedAtStart[slot], "note").c_str(),
          OfSlot(summary, settings, slot).c_str());
  if (summary.unmovedShort[slot])
    Print("  not moved:         %s %s whose latency is less than half a tick there\n",
          Counted(summary.unmovedShort[slot], "note").c_str(),
          OfSlot(summary, settings, slot).c_str());
}

}  // namespace

void PrintRenderCompensation(const RenderSummary& summary, const PluginSettings& settings) {
  if (summary.compensated) {
    const CompensationSummary& c = summary.compensation;
    PrintMoved(c, settings, "compensated:", "earlier");
    for (int s = 0; s < kSlotCount; ++s) {
      if (c.cut[s])
        Print("  clamped at start:  %s %s started at tick 0, less than that after the start\n",
              Counted(c.cut[s], "note").c_str(), OfSlot(c, settings, s).c_str());
      PrintUnmoved(c, settings, s);
      if (c.restruck[s])
        Print(
            "  ended by a moved note: %s %s landed while a note of their key sounded and ended "
            "it there (its note-off, then the note-on)\n",
            Counted(c.restruck[s], "note").c_str(), OfSlot(c, settings, s).c_str());
    }
  }
  if (summary.leadMs < 0) return;
  Print("  lead:              switching messages of %s sent %d ms ahead (at least a tick)\n",
        Counted(summary.leads, "note").c_str(), summary.leadMs);
  if (summary.leadsAtStart)
    Print("  lead at start:     of %s sent at tick 0, less than that after the start\n",
          Counted(summary.leadsAtStart, "note").c_str());
  if (summary.leadsBlocked)
    Print(
        "  lead cut short:    of %s sent later, not to pass an earlier note or a message of "
        "their own kind\n",
        Counted(summary.leadsBlocked, "note").c_str());
}

void PrintColourCompensation(const CompensationSummary& summary, const PluginSettings& settings) {
  PrintMoved(summary, settings, "moved back:", "later");
  for (int s = 0; s < kSlotCount; ++s) {
    PrintUnmoved(summary, settings, s);
    if (summary.atStart[s])
      Print(
          "  at tick 0:         %s %s moved by the whole latency, though a render may have "
          "started them there with less\n",
          Counted(summary.atStart[s], "note").c_str(), OfSlot(summary, settings, s).c_str());
    if (summary.cut[s])
      Print("  kept before end:   %s %s started at the note-off the whole latency would pass\n",
            Counted(summary.cut[s], "note").c_str(), OfSlot(summary, settings, s).c_str());
  }
}
