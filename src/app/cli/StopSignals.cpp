#include "app/cli/StopSignals.h"

#include <csignal>

namespace tvk {

namespace {

// A signal handler can only reach static storage; only one StopSignals exists at a time.
volatile std::sig_atomic_t g_caught = 0;
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

extern "C" void onStopSignal(int number) {
    if (g_caught == 0) g_caught = number;
}

} // namespace

StopSignals::StopSignals() {
    g_caught = 0;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a sleep in progress returns early, and the loop looks at the flag at once.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &g_previousInt);
    sigaction(SIGTERM, &action, &g_previousTerm);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
}

int StopSignals::caught() const {
    return g_caught;
}

} // namespace tvk
