// The editor panel of one plug-in instance: a control-less dialog created
// hidden at construction, shown inside a host window on request, painted
// entirely from the shared skin, and edited with the mouse.
#pragma once

#include <windows.h>

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
  void Destroy();
  // Shows the panel as a child of parent, or hides it when parent is null.
  void ShowIn(HWND parent);

  HWND handle() const { return static_cast<HWND>(*handleSlot_); }

  // [any thread] Marks the slot grid or the whole panel for repainting.
  void InvalidateEditor(bool gridOnly) override;

  // Every message but WM_INITDIALOG, from the dialog procedure.
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static INT_PTR CALLBACK EditorDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam);

  ArticulationEngine& engine_;
  HINSTANCE module_;
  void** handleSlot_;
};
