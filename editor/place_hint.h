// What the panel tells the host's hint bar about the place under the
// pointer: the whole additions text where the articulation page sums them
// up, and, on the articulation and controllers pages, how to open the map
// menu where nothing sits. The settings page tells nothing, as it always
// has (its double-click still opens the map menu).
//
// A hint is shown when the pointer moves into its place: once per arrival,
// not again while it moves within the place. No press, click or release
// shows one, nor the move reports the window system gives without the
// pointer going anywhere: with a button (wine reports one with each), or
// once a menu or dialog the panel opened has closed.
#pragma once

#include <string>

#include "editor/panel_layout.h"
#include "engine/data_model.h"

// The hint of the place at `p` on the model's page; empty where there is none.
std::string PlaceHintAt(const DataModel& model, PanelPoint p);

// The hints one editor shows; touched on the editor's thread only.
class PlaceHints {
 public:
  // The pointer was reported at `point`. Returns the hint to show now, or
  // empty for none. While a drag runs no place has a hint.
  std::string Moved(const DataModel& model, PanelPoint point, bool dragging);
  // The pointer is at `point` without having moved there (a press, a
  // release, a menu or dialog closed): its place is taken as known, and
  // nothing is shown.
  void Seen(const DataModel& model, PanelPoint point);

 private:
  PanelPoint last_ = kNoPoint;  // where the pointer was last reported
  std::string place_;           // the hint of the place there, shown or not
};
