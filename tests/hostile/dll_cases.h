// The hostile host's cases against the DLL beside its seeded runs.
#pragma once

namespace hostile {

// Every entry point of the DLL's test build with its allocations refused
// from the N-th on (allocation_sweep.cpp). Options: --entry PART (entries
// whose name holds it; may repeat), --modes 1|2|3 (one refusal, refusals
// from then on, both), --trace (each N printed before it runs).
int AllocationFailureSweep(int argc, char** argv);

// The DLL freed while the panel's file dialog thread is still running
// (dialog_unload.cpp).
int UnloadWithDialogOpen();

}  // namespace hostile
