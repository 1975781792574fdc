// The map table's undo history: every change made in the table is one step
// (a typed cell, a paste, a fill, a clear, a move, a replace), kept as the
// rows it changed, before and after. Undo takes the latest step back, redo
// puts it again; a new step after an undo drops what could be redone.
// At most kMaxSteps steps are kept, the oldest going first. A step holds
// only the slots it changed (about 0.5 KB each, before and after), so 200
// steps that each changed all sixteen slots take about 1.7 MB; most steps
// change one slot or a few.
//
// Changes made elsewhere (the panel, a host's load, a map loaded from the
// menu) are not steps. Undo and redo therefore check the slots they touch:
// a step is taken back only while each slot it changed still holds what the
// step left there (for redo: what it found), and then only those slots
// change, so an edit of another slot elsewhere is kept. When one of them
// changed elsewhere, nothing changes, the message says so, and the history
// is cleared: every older step builds on what is no longer there.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "editor/map_table_columns.h"

// [editor thread]
class MapTableHistory {
 public:
  static constexpr size_t kMaxSteps = 200;

  struct Outcome {
    bool ok = false;      // true: `rows` are the rows to apply
    MapRows rows{};       // when ok
    std::string message;  // "Undone: Paste (slots 1–3)" or why not
  };

  // Records a step from `before` to `after`, named for the undo list
  // ("Paste"). A step that changes nothing is not recorded.
  void Record(const MapRows& before, const MapRows& after, std::string label);

  Outcome Undo(const MapRows& current);
  Outcome Redo(const MapRows& current);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The label of the step Undo or Redo would take; empty when none.
  std::string UndoLabel() const { return undo_.empty() ? std::string() : undo_.back().label; }
  std::string RedoLabel() const { return redo_.empty() ? std::string() : redo_.back().label; }
  size_t UndoCount() const { return undo_.size(); }
  size_t RedoCount() const { return redo_.size(); }
  void Clear();

 private:
  struct RowChange {
    int row = 0;
    SlotSettings before, after;
  };
  struct Step {
    std::vector<RowChange> changes;
    std::string label;
  };

  Outcome Apply(std::deque<Step>& from, std::deque<Step>& to, const MapRows& current, bool undo);

  std::deque<Step> undo_;
  std::deque<Step> redo_;
};
