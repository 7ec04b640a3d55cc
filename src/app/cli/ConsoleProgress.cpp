#include "app/cli/ConsoleProgress.h"

#include <unistd.h>

namespace tvk {

ConsoleProgress::ConsoleProgress(std::FILE* stream) : m_stream(stream), m_terminal(isatty(fileno(stream)) == 1) {}

ConsoleProgress::~ConsoleProgress() {
    if (m_lineOpen) std::fputc('\n', m_stream);
}

void ConsoleProgress::update(const std::string& text, bool milestone) {
    if (text == m_shown) return;
    if (!m_terminal) {
        if (!milestone) return;
        m_shown = text;
        std::fprintf(m_stream, "%s\n", text.c_str());
        std::fflush(m_stream);
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!milestone && m_lineOpen && now - m_lastDraw < std::chrono::milliseconds(100)) return;
    m_lastDraw = now;
    m_shown = text;
    // Carriage return, the text, then erase what a longer earlier text left on the line.
    std::fprintf(m_stream, "\r%s\x1b[K", text.c_str());
    std::fflush(m_stream);
    m_lineOpen = true;
}

void ConsoleProgress::finish(const std::string& text) {
    if (m_lineOpen) std::fputs(m_terminal ? "\r\x1b[K" : "\n", m_stream);
    m_lineOpen = false;
    std::fprintf(m_stream, "%s\n", text.c_str());
    std::fflush(m_stream);
    m_shown.clear();
}

} // namespace tvk
