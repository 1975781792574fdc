// Marks the operations hosts call from their audio thread. Under clang these
// are checked by RealtimeSanitizer: no allocation, lock or system call may
// happen inside them.
#pragma once

#if defined(__clang__) && defined(__has_cpp_attribute)
#if __has_cpp_attribute(clang::nonblocking)
#define ARTSW_REALTIME [[clang::nonblocking]]
#endif
#endif
#ifndef ARTSW_REALTIME
#define ARTSW_REALTIME
#endif
