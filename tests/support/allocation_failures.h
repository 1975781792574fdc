// The global operator new of a test program (or of the plug-in DLL's test
// build), replaced by one that counts every allocation made through it, the
// standard library's containers and strings included, and refuses them on
// request by throwing std::bad_alloc, as a full heap would. Any thread.
#pragma once

namespace allocation_failures {

// Allocations made so far.
long Count();

// From now on `allowed` more allocations succeed, then the next one is
// refused, and with `persistent` every one after it too; a negative
// `allowed` refuses none. Starts a new count of refusals.
void FailAfter(long allowed, bool persistent);
inline void Stop() { FailAfter(-1, false); }

// Refusals since the last FailAfter, on any thread.
long Refused();

}  // namespace allocation_failures
