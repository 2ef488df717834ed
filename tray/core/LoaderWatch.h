// Whether the system's loader answers. The loader is one lock for the whole process:
// every library's start-up and release routine, and every thread's start and end,
// run under it. Another vendor's library that never returns from one of them (its
// own, or one it loads from a call into it) holds the loader, and whatever then loads
// a library or starts or ends a thread waits with it, perhaps for good. However it
// came to be held, it shows the same way: a new thread does not begin to run. The
// watch sends such a thread, a probe, and sees whether it runs.
#pragma once
#include <windows.h>

enum {
    // A probe that has not run after this long finds the loader held.
    LOADER_ANSWER_MS = 1000,
};

// Sends a probe unless one is on its way, and waits for it, at most until it has
// been on its way LOADER_ANSWER_MS. True when it ran: the loader answers. Once a
// probe is known late, the answer is false at once, until that probe runs: then
// the loader answers again, and everything that needs it may go on.
bool LoaderAnswers();

// Never waits: true while a probe has been on its way LOADER_ANSWER_MS or longer.
// Sends a probe unless one is on its way, so that a held loader is known soon.
bool LoaderKnownHeld();
