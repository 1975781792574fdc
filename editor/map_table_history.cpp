#include "editor/map_table_history.h"

#include <bitset>

#include "editor/map_table_edits.h"

void MapTableHistory::Record(const MapRows& before, const MapRows& after, std::string label) {
  Step step;
  step.label = std::move(label);
  for (int row = 0; row < kSlotCount; ++row)
    if (!(before[row] == after[row])) step.changes.push_back({row, before[row], after[row]});
  if (step.changes.empty()) return;
  redo_.clear();
  undo_.push_back(std::move(step));
  while (undo_.size() > kMaxSteps) undo_.pop_front();
}

void MapTableHistory::Clear() {
  undo_.clear();
  redo_.clear();
}

MapTableHistory::Outcome MapTableHistory::Undo(const MapRows& current) {
  return Apply(undo_, redo_, current, true);
}

MapTableHistory::Outcome MapTableHistory::Redo(const MapRows& current) {
  return Apply(redo_, undo_, current, false);
}

MapTableHistory::Outcome MapTableHistory::Apply(std::deque<Step>& from, std::deque<Step>& to,
                                                const MapRows& current, bool undo) {
  Outcome outcome;
  if (from.empty()) {
    outcome.message = undo ? "Nothing to undo" : "Nothing to redo";
    return outcome;
  }
  const Step& step = from.back();
  std::bitset<kSlotCount> slots;
  for (const RowChange& change : step.changes) {
    const SlotSettings& expected = undo ? change.after : change.before;
    if (!(current[change.row] == expected)) {
      outcome.message = std::string(undo ? "Cannot undo " : "Cannot redo ") + step.label +
                        ": slot " + std::to_string(change.row + 1) +
                        " changed outside the table (in the panel or by a load); the table's "
                        "undo history is cleared";
      Clear();
      return outcome;
    }
    slots.set(static_cast<size_t>(change.row));
  }
  outcome.ok = true;
  outcome.rows = current;
  for (const RowChange& change : step.changes)
    outcome.rows[change.row] = undo ? change.before : change.after;
  outcome.message =
      std::string(undo ? "Undone: " : "Redone: ") + step.label + " (" + SlotListText(slots) + ")";
  to.push_back(std::move(from.back()));
  from.pop_back();
  return outcome;
}
