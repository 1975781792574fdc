// The platform's open and save dialogs, each on a thread of its own.
//
// The host's thread may live in any COM apartment, and a modal dialog on it
// would run a nested message loop in which the host may close the editor.
// So the dialog runs on a worker thread in a single-threaded apartment,
// owned by the host's top-level window, and its end is posted back to the
// panel as a message. Closing the editor cancels an open dialog: every
// top-level window of the worker (the dialog and any prompt over it) is
// told to cancel until the thread ends, and the thread is waited for before
// the editor goes. A thread that does not end within the wait is left to end
// alone: it holds a reference to the plug-in's module until its last
// instruction there (system_callbacks.h), so a host that frees the module
// meanwhile does not pull the code from under it.
#pragma once

#include <windows.h>

#include <string>

class FileDialogThread {
 public:
  enum class Kind { kOpen, kSave };

  struct Request {
    Kind kind = Kind::kOpen;
    std::wstring title;
    // Pairs of description and pattern, each ended by a NUL, the list by a
    // second NUL ("Maps\0*.json;*.reabank\0All files\0*.*\0").
    std::wstring filter;
    DWORD filterIndex = 1;          // 1-based, as the dialog counts
    std::wstring defaultExtension;  // added to a name typed without one
  };

  struct Result {
    bool chosen = false;  // false: cancelled, or the dialog failed
    std::wstring path;
    DWORD filterIndex = 0;
  };

  FileDialogThread() = default;
  ~FileDialogThread() { Cancel(); }
  FileDialogThread(const FileDialogThread&) = delete;
  FileDialogThread& operator=(const FileDialogThread&) = delete;

  // [editor thread] Opens the dialog owned by `owner`; when it ends,
  // `doneMessage` is posted to `notify`. False when one is already open or
  // the thread cannot start.
  bool Start(HWND owner, HWND notify, UINT doneMessage, const Request& request);
  bool Open() const { return shared_ != nullptr; }

  // [editor thread] After the done message: waits for the thread to end
  // and hands over what the composer chose.
  Result Finish();

  // [editor thread] Closes an open dialog as cancelled and waits for its
  // thread; nothing is posted afterwards. Messages other threads send to
  // this one are handled meanwhile, since the closing dialog gives its
  // owner back its input with them.
  void Cancel();

  // For tests: the worker thread's id while a dialog is open, else 0.
  DWORD WorkerThreadId() const;

 private:
  struct Shared;
  // The worker: shows the dialog, keeps the choice, posts the done message.
  static void Run(void* argument);
  static void ShowDialog(Shared& shared);
  // Waits for the worker, cancelling its windows now and then when asked.
  // False when it had to give up waiting and left the thread to end alone.
  bool Join(bool cancelWindows);

  Shared* shared_ = nullptr;
  HANDLE thread_ = nullptr;
};
