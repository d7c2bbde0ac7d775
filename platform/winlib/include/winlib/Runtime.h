// The message loop of the user-interface thread and the one thread-safe entry into it.
#pragma once

#include "winlib/Api.h"

#include <functional>

namespace winlib
{

// Thread-safe: runs 'task' on the user-interface thread, in order with other posted work,
// from the message pump. Transports deliver their traffic through this.
void PostToUiThread(std::function<void()> task);

// Dispatches one unit of work: a posted task or message (after the PreTranslateMessage
// walk and dialog keyboard handling), then due timers, then pending paints.
// Returns false when there was nothing to do.
bool PumpOne();
// Pumps until nothing is left to do now; returns the number of units dispatched.
int PumpPending();
// Runs the loop until 'done' returns true, waiting on the backend between units.
// With a manual clock it never waits: it returns when done or when nothing is left.
void RunUntil(const std::function<bool()>& done);
// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();
bool QuitRequested();
// True when nothing waits to be done now: no posted task, no queued message, no timer due
// and no window to paint.
bool IsIdle();

// Work for the moment the queue runs dry (the class library's idle time: frames update
// their control bars here). Handlers run once each time the loop becomes idle.
int AddIdleHandler(std::function<void()> handler);
void RemoveIdleHandler(int id);

// Offers an input message to PreTranslateMessage of every window object from its target
// up to the top-level window; true when one of them consumed it.
bool WalkPreTranslateTree(MSG* msg);

} // namespace winlib
