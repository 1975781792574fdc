#include "tools/plughost/windowless_thread.h"

#include <windows.h>

#include <string>

namespace {

struct Job {
  const std::function<void()>* work;
  HDESK desktop;
};

DWORD WINAPI RunJob(void* argument) {
  const Job* job = static_cast<const Job*>(argument);
  // Should the thread stay on the usual desktop, the work still runs, with
  // windows.
  SetThreadDesktop(job->desktop);
  (*job->work)();
  return 0;
}

}  // namespace

void RunWithoutWindows(const std::function<void()>& work) {
  // Opened only to read: creating a window on it is refused.
  const std::string name = "plughost-" + std::to_string(GetCurrentProcessId());
  HDESK desktop = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, DESKTOP_READOBJECTS, nullptr);
  if (!desktop) {
    work();
    return;
  }
  Job job{&work, desktop};
  HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, nullptr);
  if (thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  } else {
    work();
  }
  CloseDesktop(desktop);
}
