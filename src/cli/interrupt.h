// Ctrl-C (SIGINT), a closed terminal (SIGHUP) and SIGTERM during a build: instead of
// killing the process, which would leave a partial movie and temporary files behind,
// the signal raises the build's stop request; the build stops between entries (or
// inside a long decode), cleans up, and the program exits with 128 + the signal's
// number. A second signal kills the process at once, for a user who does not want to
// wait; the next build of the same movie removes what that leaves.
#pragma once

#include "slideshow/stop_request.h"

class InterruptHandling {
  public:
    // Installs the handlers; one object at a time.
    explicit InterruptHandling(StopRequest& stop);
    // Puts back the handlers that were there before.
    ~InterruptHandling();
    InterruptHandling(const InterruptHandling&) = delete;
    InterruptHandling& operator=(const InterruptHandling&) = delete;

    // SIGINT, SIGHUP or SIGTERM once one came, else 0.
    int ReceivedSignal() const;
};
