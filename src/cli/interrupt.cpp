#include "cli/interrupt.h"

#include <signal.h>

namespace {

StopRequest* g_stop = nullptr;
volatile sig_atomic_t g_signal = 0;
struct sigaction g_previousInterrupt {};
struct sigaction g_previousTerminate {};

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
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, &g_previousInterrupt);
    sigaction(SIGTERM, &action, &g_previousTerminate);
}

InterruptHandling::~InterruptHandling() {
    sigaction(SIGINT, &g_previousInterrupt, nullptr);
    sigaction(SIGTERM, &g_previousTerminate, nullptr);
    g_stop = nullptr;
}

int InterruptHandling::ReceivedSignal() const {
    return g_signal;
}
