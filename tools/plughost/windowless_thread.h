// Runs work on a thread of its own that cannot create windows: the thread
// is attached to a private desktop opened without the right to create them.
// A plug-in instance created there gets no editor window, so the repaint
// request it makes for every note costs nothing; under wine each such
// request on even a hidden window is a round trip to the window server.
// For work that never shows a window, such as rendering a file.
#pragma once

#include <functional>

// Returns when `work` has returned. When the system offers no such desktop,
// the work runs on the calling thread as it is.
void RunWithoutWindows(const std::function<void()>& work);
