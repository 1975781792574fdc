#include "editor/editor_window.h"

#include "editor/editor_resources.h"

EditorWindow::EditorWindow(ArticulationEngine& engine, HINSTANCE module, void** handleSlot)
    : engine_(engine), module_(module), handleSlot_(handleSlot) {}

void EditorWindow::Create() {
  HWND window = CreateDialogParamA(module_, MAKEINTRESOURCEA(kEditorDialog), nullptr,
                                   EditorDialogProc, reinterpret_cast<LPARAM>(this));
  *handleSlot_ = window;
}

void EditorWindow::Destroy() {
  if (HWND window = handle()) DestroyWindow(window);
  *handleSlot_ = nullptr;
}

void EditorWindow::ShowIn(HWND parent) {
  HWND window = handle();
  if (!window) return;
  SetParent(window, parent);
  ShowWindow(window, parent ? SW_SHOW : SW_HIDE);
}

void EditorWindow::InvalidateEditor(bool gridOnly) {
  HWND window = handle();
  if (!window) return;
  if (gridOnly) {
    const RECT grid = {5, 5, 233, 94};
    InvalidateRect(window, &grid, FALSE);
  } else {
    InvalidateRect(window, nullptr, FALSE);
  }
}

INT_PTR CALLBACK EditorWindow::EditorDialogProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* editor = reinterpret_cast<EditorWindow*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
    if (editor) *editor->handleSlot_ = window;
    return 1;
  }
  // Null for the few messages the system sends before WM_INITDIALOG.
  auto* editor = reinterpret_cast<EditorWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!editor) return 0;
  return editor->HandleMessage(window, message, wParam, lParam);
}

INT_PTR EditorWindow::HandleMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }
