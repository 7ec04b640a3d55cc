#include "language/LanguageFileLimits.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace tvk {
namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// The value of `encoding="..."` in the declaration at the start of `text` (ASCII), or empty text.
std::string declaredEncoding(std::string_view text) {
    if (!startsWith(text, "<?xml")) return {};
    text = text.substr(0, std::min(text.find("?>"), std::size_t{1024}));
    const std::size_t key = text.find("encoding");
    if (key == std::string_view::npos) return {};
    std::size_t i = key + 8;
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n' || text[i] == '='))
        ++i;
    if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return {};
    const std::size_t end = text.find(text[i], i + 1);
    if (end == std::string_view::npos) return {};
    return std::string(text.substr(i + 1, end - i - 1));
}

// Whether every byte below 0x80 of text in `encoding` is that ASCII character, so markup can be found in
// the bytes themselves.
bool keepsAsciiBytes(const std::string& encoding) {
    std::string name;
    for (char c : encoding) {
        if (c != '-' && c != '_' && c != ' ') name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (std::string_view family : {"UTF8", "ASCII", "USASCII", "ISO8859", "LATIN", "WINDOWS125", "CP125"}) {
        if (startsWith(name, family)) return true;
    }
    return false;
}

// `bytes` converted from `encoding` to UTF-8, up to the first sequence that does not convert (the parser
// stops there too); nothing when the encoding is unknown (the parser refuses the file then).
std::optional<std::string> toUtf8(std::string_view bytes, const std::string& encoding) {
    const iconv_t cd = ::iconv_open("UTF-8", encoding.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    char buffer[65536];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    ::iconv_close(cd);
    return out;
}

// One pass over UTF-8 (or ASCII-compatible) text. Start tags are followed the way the parser reads them:
// a value opens only after "=", and "<" always starts new markup (it may not stand in an attribute value),
// so no attribute the parser would read can hide from the count.
class Scanner {
public:
    std::optional<LanguageFileLimits::Violation> run(std::string_view text) {
        for (m_pos = 0; m_pos < text.size(); ++m_pos) {
            const char c = text[m_pos];
            if (c == '\n') {
                ++m_line;
                m_lineStart = m_pos + 1;
            }
            if (m_state == State::Skipped) {
                if (text.compare(m_pos, m_terminator.size(), m_terminator) == 0) {
                    m_pos += m_terminator.size() - 1;
                    m_state = State::Text;
                }
                continue;
            }
            if (c == '<') {
                if (auto violation = startMarkup(text)) return violation;
                continue;
            }
            if (++m_run > LanguageFileLimits::kMaxTextBytes) {
                return violation("a text longer than " + std::to_string(LanguageFileLimits::kMaxTextBytes) + " bytes");
            }
            if (m_state == State::Quoted) {
                if (c == m_quote) {
                    m_state = State::Tag;
                    m_run = 0;
                }
            } else if (m_state == State::Tag) {
                if (auto violation = inTag(c)) return violation;
            }
        }
        return std::nullopt;
    }

private:
    enum class State { Text, Tag, Quoted, Skipped };

    std::optional<LanguageFileLimits::Violation> startMarkup(std::string_view text) {
        const std::string_view rest = text.substr(m_pos);
        m_run = 0;
        m_attributes = 0;
        m_afterEquals = false;
        m_state = State::Tag;
        if (startsWith(rest, "<!--")) {
            enterSkipped(4, "-->");
        } else if (startsWith(rest, "<![CDATA[")) {
            enterSkipped(9, "]]>");
        } else if (startsWith(rest, "<?")) {
            enterSkipped(2, "?>");
        } else if (!startsWith(rest, "</") && !startsWith(rest, "<!") &&
                   ++m_elements > LanguageFileLimits::kMaxElements) {
            return violation("more than " + std::to_string(LanguageFileLimits::kMaxElements) + " elements");
        }
        return std::nullopt;
    }

    std::optional<LanguageFileLimits::Violation> inTag(char c) {
        if (c == '>') {
            m_state = State::Text;
            m_run = 0;
        } else if (c == '=') {
            m_afterEquals = true;
            if (++m_attributes > LanguageFileLimits::kMaxAttributesPerElement) {
                return violation("more than " + std::to_string(LanguageFileLimits::kMaxAttributesPerElement) +
                                 " attributes on one element");
            }
        } else if ((c == '"' || c == '\'') && m_afterEquals) {
            m_state = State::Quoted;
            m_quote = c;
            m_afterEquals = false;
            m_run = 0;
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            m_afterEquals = false;
        }
        return std::nullopt;
    }

    // Comments, character data and processing instructions hold no markup up to their terminator, which
    // may not overlap their opening.
    void enterSkipped(std::size_t openingLength, std::string_view terminator) {
        m_state = State::Skipped;
        m_terminator = terminator;
        m_pos += openingLength - 1;
    }

    LanguageFileLimits::Violation violation(const std::string& what) const {
        return {"the file is no language file: it holds " + what, m_line,
                static_cast<int>(std::min<std::size_t>(m_pos - m_lineStart + 1, 1u << 30))};
    }

    State m_state = State::Text;
    std::string_view m_terminator;
    char m_quote = '"';
    bool m_afterEquals = false;
    std::size_t m_pos = 0;
    std::size_t m_lineStart = 0;
    int m_line = 1;
    std::size_t m_run = 0;
    std::size_t m_attributes = 0;
    std::size_t m_elements = 0;
};

} // namespace

std::string LanguageFileLimits::encodingOf(std::string_view bytes) {
    // The byte layouts the parser recognises before it reads any declaration, in its order.
    struct Layout {
        std::string_view start;
        const char* encoding;
    };
    static const Layout layouts[] = {
        {std::string_view("\0\0\0<", 4), "UTF-32BE"},
        {std::string_view("<\0\0\0", 4), "UTF-32LE"},
        {std::string_view("\0\0<\0", 4), "UCS-4-2143"},
        {std::string_view("\0<\0\0", 4), "UCS-4-3412"},
        {std::string_view("<\0?\0", 4), "UTF-16LE"},
        {std::string_view("\0<\0?", 4), "UTF-16BE"},
        {"\xEF\xBB\xBF", "UTF-8"},
        {"\xFE\xFF", "UTF-16BE"},
        {"\xFF\xFE", "UTF-16LE"},
    };
    for (const Layout& layout : layouts) {
        if (startsWith(bytes, layout.start)) return layout.encoding;
    }
    if (startsWith(bytes, "\x4C\x6F\xA7\x94")) {
        // EBCDIC: the declaration, read in the common EBCDIC code page, names the actual one.
        const auto head = toUtf8(bytes.substr(0, 200), "IBM037");
        const std::string declared = head ? declaredEncoding(*head) : std::string();
        return declared.empty() ? "IBM037" : declared;
    }
    const std::string declared = declaredEncoding(bytes);
    return declared.empty() ? "UTF-8" : declared;
}

std::optional<LanguageFileLimits::Violation> LanguageFileLimits::check(std::string_view bytes) {
    if (bytes.size() > kMaxFileBytes) {
        return Violation{"the file is no language file: it is larger than " + std::to_string(kMaxFileBytes) + " bytes",
                         1, 1};
    }
    // The bytes are checked as they stand too: the parser reads a file as bytes when the encoding its
    // declaration names does not fit the file (a file of single bytes that claims UTF-16, say).
    if (auto violation = Scanner().run(bytes)) return violation;
    const std::string encoding = encodingOf(bytes);
    if (keepsAsciiBytes(encoding)) return std::nullopt;
    const auto utf8 = toUtf8(bytes, encoding);
    return utf8 ? Scanner().run(*utf8) : std::nullopt;
}

} // namespace tvk
