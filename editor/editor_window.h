// The editor panel of one plug-in instance: a control-less dialog created
// hidden at construction, shown inside a host window on request, painted
// entirely from the shared skin, and edited with the mouse.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "editor/panel_editing.h"
#include "editor/repaint_requests.h"
#include "engine/editor_repaint.h"
#include "engine/engine.h"

class EditorWindow final : public EditorRepaint {
 public:
  // handleSlot is where the host reads the window handle (the plug-in
  // object's editor handle member); it is kept current.
  EditorWindow(ArticulationEngine& engine, HINSTANCE module, void** handleSlot);
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

  // [any thread] Marks the slot grid or the whole panel for repainting.
  // Lock-free; asks the window system only when the panel is shown and no
  // request since the last paint covers this one.
  void InvalidateEditor(bool gridOnly) override;

  // [editor thread] Paints the invalid part of the window from a complete
  // composition of the panel. Begins and ends painting itself, so it serves
  // WM_PAINT and direct calls after an invalidation alike.
  void PaintEditor(HWND window);

  // How many repaint requests InvalidateEditor passed on to the window
  // system so far.
  uint32_t RequestsPassedOn() const { return passedOn_.load(std::memory_order_relaxed); }

  // For tests: called on the editor thread in every paint once the panel is
  // composed, before it reaches the window, to make changes at that moment.
  void SetComposedHook(void (*hook)(void* context), void* context) {
    composedHook_ = hook;
    composedHookContext_ = context;
  }

  // Every message but WM_INITDIALOG, from the dialog procedure. Returns what
  // the dialog procedure hands back to the system.
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // What the painter reads.
  const DataModel& model() const { return engine_.model; }
  const EditorDragState& dragState() const { return drag_; }

 private:
  static INT_PTR CALLBACK EditorDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // [editor thread] Marks for repainting straight away, whatever is
  // pending: the panel's own edits are rare, and their paint also serves
  // whatever requests are pending.
  void MarkForRepaint(bool gridOnly) const;
  // Every paint, ours or the undrawn one without a skin, once BeginPaint
  // has validated the window.
  void PaintBegun();
  // Timer: re-asks for what is pending when no paint came for a whole
  // period, as after someone else validated the window.
  void CheckPendingRepaint();

  INT_PTR PointerMove(PanelPoint point);
  void Press(PanelPoint point);
  void Release(PanelPoint point);
  bool RightRelease();
  void Click();
  void CancelDrag();

  void StartDrag();
  void StepDrag();
  void ApplyDragValue();
  void ReturnPointerToAnchor() const;

  void PromptForValue(int32_t field);
  void ShowParameterMenu(int32_t parameter);
  void showMessage(const char* text) const;

  ArticulationEngine& engine_;
  HINSTANCE module_;
  void** handleSlot_;
  EditorDragState drag_;
  HCURSOR savedCursor = nullptr;  // the cursor a drag hid; null when none
  RepaintRequests requests_;
  std::atomic<uint32_t> passedOn_{0};
  int paintsSinceCheck_ = 0;
  void (*composedHook_)(void*) = nullptr;
  void* composedHookContext_ = nullptr;
};
