// The one editor operation the engine and the state code call: ask for a
// repaint of the slot grid or of the whole panel. Only a request to the
// window system; safe to call from any thread, never blocks.
#pragma once

class EditorRepaint {
 public:
  virtual void InvalidateEditor(bool gridOnly) = 0;

 protected:
  ~EditorRepaint() = default;
};
