// Threads, sleeping and calls onto the main thread.
#pragma once

#include <functional>

namespace host {

// Runs the function on a new thread that is never joined, with the finest
// timer slack the system allows, so its sleeps end on time. False, after one
// log line, when the system cannot make another thread.
bool detachNewThread(std::function<void()> body);

// Threads made by detachNewThread whose function has not returned.
int runningThreads();

// Sleeps the calling thread for the given number of seconds (none if not positive).
void sleepFor(double seconds);

// Runs fn(context) on the main thread from its event loop. With waitUntilDone
// the caller blocks until the call has returned; called on the main thread
// itself, it then runs at once. Takes no allocation, so a loop may call it
// forever. Safe to call from any thread.
void performOnMainThread(void (*fn)(void*), void* context, bool waitUntilDone);

} // namespace host
