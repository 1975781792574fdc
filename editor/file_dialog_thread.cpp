#include "editor/file_dialog_thread.h"

#include <commdlg.h>
#include <objbase.h>

#include <memory>
#include <vector>

#include "editor/system_callbacks.h"

namespace {

// How long to wait between cancel requests while a closing dialog ends,
// and how long to wait in all before the thread is left to end alone.
constexpr DWORD kCancelRetryMilliseconds = 50;
constexpr DWORD kJoinGiveUpMilliseconds = 10000;
constexpr DWORD kPathCapacity = 32768;

BOOL CALLBACK CancelWindow(HWND window, LPARAM) noexcept {
  // A file dialog ends on IDCANCEL; a yes/no prompt over it (replace the
  // file?) has no cancel button and ends on IDNO, which leaves the file.
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return TRUE;
}

}  // namespace

// What the worker and the editor share. The worker writes the result and
// reads the request; the editor reads the result only after the thread has
// ended. Both hold a reference, so an editor that gives up waiting leaves
// the worker something valid to finish with.
struct FileDialogThread::Shared {
  LONG references = 2;
  Request request;
  HWND owner = nullptr;
  HWND notify = nullptr;
  UINT doneMessage = 0;
  volatile LONG cancelled = 0;
  Result result;

  void Release() {
    if (InterlockedDecrement(&references) == 0) delete this;
  }
};

bool FileDialogThread::Start(HWND owner, HWND notify, UINT doneMessage, const Request& request) {
  if (shared_) return false;
  auto shared = std::make_unique<Shared>();
  shared->request = request;
  shared->owner = owner;
  shared->notify = notify;
  shared->doneMessage = doneMessage;
  DWORD id = 0;
  HANDLE thread = system_callbacks::StartModuleThread<Run>(shared.get(), &id);
  if (!thread) return false;
  shared_ = shared.release();
  thread_ = thread;
  return true;
}

DWORD FileDialogThread::WorkerThreadId() const { return thread_ ? GetThreadId(thread_) : 0; }

void FileDialogThread::ShowDialog(Shared& shared) {
  struct Apartment {
    HRESULT state = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ~Apartment() {
      if (SUCCEEDED(state)) CoUninitialize();
    }
  } apartment;
  std::vector<wchar_t> path(kPathCapacity, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = shared.owner;
  dialog.lpstrFilter = shared.request.filter.c_str();
  dialog.nFilterIndex = shared.request.filterIndex;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathCapacity;
  dialog.lpstrTitle = shared.request.title.empty() ? nullptr : shared.request.title.c_str();
  dialog.lpstrDefExt =
      shared.request.defaultExtension.empty() ? nullptr : shared.request.defaultExtension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  BOOL chosen = FALSE;
  if (!shared.cancelled) {
    if (shared.request.kind == Kind::kOpen) {
      dialog.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
      chosen = GetOpenFileNameW(&dialog);
    } else {
      dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
      chosen = GetSaveFileNameW(&dialog);
    }
  }
  if (chosen && !shared.cancelled) {
    shared.result.path = path.data();
    shared.result.filterIndex = dialog.nFilterIndex;
    shared.result.chosen = true;
  }
}

void FileDialogThread::Run(void* argument) {
  auto* shared = static_cast<Shared*>(argument);
  // A dialog that cannot be shown, or whose choice cannot be kept, ends as
  // if cancelled, and the panel says why.
  host_boundary::Call([&] { ShowDialog(*shared); },
                      [&](host_boundary::Refusal why) noexcept {
                        shared->result = Result{};
                        if (!shared->cancelled)
                          system_callbacks::TellLater(
                              shared->notify, why == host_boundary::Refusal::kOutOfMemory
                                                  ? "The file dialog failed: not enough memory"
                                                  : "The file dialog failed");
                      });
  if (!shared->cancelled) PostMessageW(shared->notify, shared->doneMessage, 0, 0);
  shared->Release();
}

bool FileDialogThread::Join(bool cancelWindows) {
  if (!thread_) return true;
  bool ended = false;
  const DWORD id = GetThreadId(thread_);
  const DWORD start = GetTickCount();
  for (;;) {
    if (cancelWindows) EnumThreadWindows(id, CancelWindow, 0);
    const DWORD waited =
        MsgWaitForMultipleObjects(1, &thread_, FALSE, kCancelRetryMilliseconds, QS_SENDMESSAGE);
    if (waited == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
    if (waited == WAIT_OBJECT_0 + 1) {
      // Only what other threads send: posted messages stay queued.
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (waited == WAIT_FAILED || GetTickCount() - start > kJoinGiveUpMilliseconds) break;
  }
  CloseHandle(thread_);
  thread_ = nullptr;
  shared_->Release();
  shared_ = nullptr;
  return ended;
}

FileDialogThread::Result FileDialogThread::Finish() {
  if (!shared_) return {};
  Shared* shared = shared_;
  InterlockedIncrement(&shared->references);
  // What the thread wrote is complete once it has ended.
  const bool ended = Join(false);
  Result result;
  if (ended && !shared->cancelled) result = std::move(shared->result);
  shared->Release();
  return result;
}

void FileDialogThread::Cancel() {
  if (!shared_) return;
  InterlockedExchange(&shared_->cancelled, 1);
  Join(true);
}
