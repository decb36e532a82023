#include "cli/interrupt.h"

#include <signal.h>

#include <cstddef>
#include <iterator>

namespace {

StopRequest* g_stop = nullptr;
volatile sig_atomic_t g_signal = 0;
// The signals that stop a build: Ctrl-C, a closed terminal, a request to end.
constexpr int kStopSignals[] = {SIGINT, SIGHUP, SIGTERM};
struct sigaction g_previous[3]{};

// Only async-signal-safe work: two stores. SA_RESETHAND gives the next signal its
// default action again.
void OnSignal(int signal) {
    g_signal = signal;
    if (g_stop != nullptr) {
        g_stop->Request();
    }
}

}  // namespace

InterruptHandling::InterruptHandling(StopRequest& stop) {
    g_stop = &stop;
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a write of the movie must not fail for a signal. Nothing the
    // build does can wait for ever (it opens no pipe), and a stop ends its reading.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &action, &g_previous[i]);
    }
}

InterruptHandling::~InterruptHandling() {
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &g_previous[i], nullptr);
    }
    g_stop = nullptr;
}

int InterruptHandling::ReceivedSignal() const {
    return g_signal;
}
