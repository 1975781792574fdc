// The switch of the plug-in DLL's test build: its operator new
// (tests/support/allocation_failures.h), worked from the host's side. The
// product DLL has neither these exports nor that operator new.
#include <windows.h>

#include <unwind.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "editor/system_callbacks.h"
#include "tests/support/allocation_failures.h"

// allowed >= 0: that many more allocations succeed, then the next is
// refused, and with persistent != 0 every one after it; allowed < 0: none
// is refused.
extern "C" void __stdcall FailAllocationsAfter(int32_t allowed, int32_t persistent) {
  allocation_failures::FailAfter(allowed, persistent != 0);
}

// Refusals since the last switch, on any thread.
extern "C" int32_t __stdcall RefusedAllocations() {
  return static_cast<int32_t>(allocation_failures::Refused());
}

extern "C" int32_t __stdcall AllocationCount() {
  return static_cast<int32_t>(allocation_failures::Count());
}

// A refusal that meets a noexcept function ends the process through
// std::terminate; the test build says where first: the frames from that
// function on, as addresses in the DLL's own image (addr2line -f -e DLL).
namespace {

_Unwind_Reason_Code PrintFrame(_Unwind_Context* context, void* base) {
  const auto ip = static_cast<uintptr_t>(_Unwind_GetIP(context));
  const auto* dos = static_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(static_cast<const char*>(base) + dos->e_lfanew);
  std::fprintf(stderr, "  0x%08lx\n",
               static_cast<unsigned long>(ip - reinterpret_cast<uintptr_t>(base) +
                                          nt->OptionalHeader.ImageBase));
  return _URC_NO_REASON;
}

[[noreturn]] void TerminateWithFrames() {
  std::fprintf(stderr, "terminate in the DLL's test build, frames:\n");
  _Unwind_Backtrace(PrintFrame, system_callbacks::ThisModule());
  std::fflush(stderr);
  std::abort();
}

const bool g_terminateHandler = (std::set_terminate(TerminateWithFrames), true);

}  // namespace
