// The host's boundary: nothing thrown inside the plug-in leaves through a
// call the host or the system makes into it. Every such entry point (the
// host's table, window and dialog procedures, COM methods, thread
// procedures) runs its body through Call, which catches everything and
// answers what the entry point's contract gives for "nothing done": 0,
// FALSE, E_OUTOFMEMORY, the default window procedure's result.
//
// Why a catch at every entry: this toolchain unwinds with tables that stop
// at the first frame that has none (the host's, or the window system's),
// and an exception that gets there ends the host's process.
//
// Cost: the unwind tables are read only while something is thrown. A call
// that throws nothing runs the body as if unguarded: no allocation, lock or
// system call is added, so the audio thread's operations are guarded too
// (the realtime tests drive them through the guarded table).
#pragma once

#include <new>
#include <type_traits>
#include <utility>

namespace host_boundary {

// Why a call was refused.
enum class Refusal { kOutOfMemory, kFailure };

// Runs body() and returns what it returns. When anything is thrown, returns
// refuse(why) instead; refuse runs after the exception is gone and must not
// throw (nor allocate, when it is to work with no memory left).
template <typename Body, typename Refuse>
auto Call(Body&& body, Refuse&& refuse) noexcept -> std::invoke_result_t<Body&> {
  Refusal why = Refusal::kFailure;
  try {
    return body();
  } catch (const std::bad_alloc&) {
    why = Refusal::kOutOfMemory;
  } catch (...) {
  }
  return refuse(why);
}

// A body without a result, whose refusal needs nothing done.
template <typename Body>
void Call(Body&& body) noexcept {
  Call(std::forward<Body>(body), [](Refusal) noexcept {});
}

// The refusal that answers one fixed value: Call(body, Answer(0)).
template <typename Result>
auto Answer(Result value) noexcept {
  return [value](Refusal) noexcept { return value; };
}

}  // namespace host_boundary
