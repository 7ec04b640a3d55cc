#pragma once

namespace tvk {

// Catches SIGINT and SIGTERM while it lives, so a console command can stop its loop, release what
// it holds and save; the handlers in place before come back when it is destroyed. One at a time.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first signal caught since construction, 0 when none.
    int caught() const;
};

} // namespace tvk
