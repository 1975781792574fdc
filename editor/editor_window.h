// The editor panel of one plug-in instance: a control-less dialog created
// hidden at construction, shown inside a host window on request, painted
// entirely from the shared skin, and edited with the mouse.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "editor/map_loading_service.h"
#include "editor/panel_editing.h"
#include "editor/panel_map_commands.h"
#include "editor/panel_painter.h"
#include "editor/place_hint.h"
#include "editor/repaint_requests.h"
#include "engine/editor_repaint.h"
#include "engine/engine.h"
#include "engine/host_boundary.h"

class EditorWindow final : public EditorRepaint {
 public:
  // handleSlot is where the host reads the window handle (the plug-in
  // object's editor handle member); it is kept current.
  EditorWindow(ArticulationEngine& engine, HINSTANCE module, void** handleSlot);
  ~EditorWindow();
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Creates the hidden, parentless window from the dialog template.
  void Create();
  // Ends a drag in progress (pointer freed, cursor back), then destroys
  // the window.
  void Destroy();
  // Shows the panel as a child of parent, or hides it when parent is null.
  // Hiding ends a drag in progress.
  void ShowIn(HWND parent);

  HWND handle() const { return static_cast<HWND>(*handleSlot_); }

  // [any thread] Asks for a repaint of the slot grid or the whole panel.
  // Lock-free and without any call into the window system: it only records
  // the request. While the panel is shown, the editor thread turns what was
  // recorded into an invalidation at its next display-rate tick.
  void InvalidateEditor(bool gridOnly) override;

  // [editor thread] Paints the invalid part of the window from the back
  // buffer, after redrawing there what changed since the last paint. Begins
  // and ends painting itself, so it serves WM_PAINT and direct calls after
  // an invalidation alike.
  void PaintEditor(HWND window);

  // How many invalidations the editor thread made from recorded requests
  // so far.
  uint32_t RequestsPassedOn() const { return passedOn_; }

  // For tests: called on the editor thread in every paint once the panel is
  // composed, before it reaches the window, to make changes at that moment.
  void SetComposedHook(void (*hook)(void* context), void* context) {
    composedHook_ = hook;
    composedHookContext_ = context;
  }

  // Every message from WM_INITDIALOG on, from the dialog procedure
  // (system_callbacks.h), which catches what it throws. Returns what the
  // dialog procedure hands back to the system.
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // [editor thread] A message's handling threw: the host is told.
  void MessageRefused(HWND window, UINT message, host_boundary::Refusal why) noexcept;

  // [any thread but the audio thread] Has the panel show a text with static
  // storage through the host's message, from its own thread.
  void TellLater(const char* staticText) const noexcept;

  // The loader the map menu, drops and pastes go to; set once by the
  // plug-in object before the panel is shown.
  void SetMapLoading(MapLoadingService* service) { maps_.SetService(service); }
  PanelMapCommands& mapCommands() { return maps_; }

  // What the painter reads.
  const DataModel& model() const { return engine_.model; }
  const EditorDragState& dragState() const { return drag_; }

 private:
  // [editor thread] Marks for repainting straight away, whatever is
  // recorded: the panel's own edits are rare, and their paint also serves
  // whatever requests are recorded.
  void MarkForRepaint(bool gridOnly);
  // [editor thread] Marks the region and remembers it was marked, so the
  // paint knows its invalid region holds it.
  void Invalidate(RepaintRequests::Region region);
  // Every paint, ours or the undrawn one without a skin, once BeginPaint
  // has validated the window: takes the recorded requests, and asks again
  // for any the invalid region does not cover.
  void PaintBegun(const RECT& invalid);
  // Display-rate tick while shown: invalidates what is recorded. A request
  // a paint took never reaches it; one still recorded is either new or was
  // validated away by someone else, and is asked for (again) either way.
  void PassOnRequests();

  INT_PTR PointerMove(PanelPoint point);
  // A double-click on a place without a region opens the map menu; any
  // other double-click means nothing, as before.
  void DoubleClick(PanelPoint point);
  void OpenMapMenu();
  void ShowHintAt(PanelPoint point);
  // After a menu or dialog of the panel's own: the pointer's place, where
  // the system may report a move it did not make.
  void PointerSeenWhereItIs();
  void Press(PanelPoint point);
  void Release(PanelPoint point);
  bool RightRelease();
  void Click();
  void CancelDrag();

  void StartDrag();
  void StepDrag();
  void ApplyDragValue();
  void SetControllerFromPanel(int32_t cc, int32_t value);
  void ReturnPointerToAnchor() const;

  void PromptForValue(int32_t field);
  // The slot's additions through the text prompt, in their one-line form.
  void PromptForAdditions();
  void ShowParameterMenu(int32_t parameter);
  void showMessage(const char* text) const;

  ArticulationEngine& engine_;
  HINSTANCE module_;
  void** handleSlot_;
  EditorDragState drag_;
  PlaceHints placeHints_;
  PanelMapCommands maps_;
  bool mapMenuPending_ = false;   // a double-click's menu waits for the button's release
  POINT mapMenuPoint_{0, 0};      // where it opens, in screen coordinates
  HCURSOR savedCursor = nullptr;  // the cursor a drag hid; null when none
  RepaintRequests requests_;
  PanelPainter painter_;
  uint32_t passedOn_ = 0;
  uint8_t asked_ = RepaintRequests::kNothing;  // marked by this thread since the last paint
  void (*composedHook_)(void*) = nullptr;
  void* composedHookContext_ = nullptr;
};
