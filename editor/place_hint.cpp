#include "editor/place_hint.h"

#include "editor/map_menu.h"
#include "editor/panel_editing.h"

std::string PlaceHintAt(const DataModel& model, PanelPoint p) {
  std::string hint = AdditionsHintAt(model, p);
  if (hint.empty() && model.pageIndex != kSettingsPage && IsMapMenuPlace(model.pageIndex, p))
    hint = map_menu::kPlaceHint;
  return hint;
}

std::string PlaceHints::Moved(const DataModel& model, PanelPoint point, bool dragging) {
  if (point == last_) return {};
  last_ = point;
  std::string hint = dragging ? std::string() : PlaceHintAt(model, point);
  if (hint == place_) return {};
  place_ = hint;
  return hint;
}

void PlaceHints::Seen(const DataModel& model, PanelPoint point) {
  last_ = point;
  place_ = PlaceHintAt(model, point);
}
