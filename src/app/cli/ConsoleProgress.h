#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace tvk {

// Progress of a console command on standard error: one line redrawn in place on a terminal (at
// most ten times a second), plain lines otherwise, and only when the text says something new.
class ConsoleProgress {
public:
    explicit ConsoleProgress(std::FILE* stream);
    ~ConsoleProgress();

    // Shows `text` as the current state. On a terminal it replaces the line shown; elsewhere a
    // line is written when `milestone` is set (a new pass, the start), so logs stay short.
    void update(const std::string& text, bool milestone);
    // Ends the progress display and writes `text` as a line of its own.
    void finish(const std::string& text);

private:
    std::FILE* m_stream;
    bool m_terminal;
    bool m_lineOpen = false;
    std::string m_shown;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

} // namespace tvk
