#include "script/lib/Regex.h"

#include "events/RuntimeError.h"
#include "script/lib/RegexProgram.h"

#include <algorithm>
#include <limits>

namespace tvk::script::regex {
namespace {

constexpr size_t MaxBacktrackFrames = size_t{1} << 22;

using textfold::toLower;

bool isWordChar(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isLineTerminator(char16_t c) {
    return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029;
}

struct Frame {
    enum Kind : int32_t { Branch, RestoreCapture, RestoreMark } kind;
    int32_t index; // pc, capture slot or mark register
    int64_t value; // position or old value
};

class Matcher {
public:
    Matcher(const Program& p, std::u16string_view text, std::vector<int>& caps, uint64_t budget,
            const std::function<void()>* checkTime)
        : m_p(p), m_text(text), m_caps(caps), m_marks(static_cast<size_t>(p.marks), -1), m_budget(budget),
          m_checkTime(checkTime) {}

    // Runs from `pc` at `pos` until Match or (inside a lookahead) LookEnd; `end` receives the position.
    bool run(int pc, int pos, int& end) {
        const size_t base = m_stack.size();
        const int n = static_cast<int>(m_text.size());
        const bool icase = m_p.options.ignoreCase;
        while (true) {
            if (++m_steps > m_budget)
                throw RuntimeError(err::InvalidCall, "Regular expression search exceeded its step limit");
            if ((m_steps & 0xFFFF) == 0 && m_checkTime) (*m_checkTime)();
            const Inst& in = m_p.code[static_cast<size_t>(pc)];
            bool ok = true;
            switch (in.op) {
            case Op::Char:
                ok = pos < n && (icase ? toLower(m_text[static_cast<size_t>(pos)])
                                       : m_text[static_cast<size_t>(pos)]) == static_cast<char16_t>(in.x);
                ++pos, ++pc;
                break;
            case Op::Any:
                ok = pos < n && m_text[static_cast<size_t>(pos)] != '\n';
                ++pos, ++pc;
                break;
            case Op::Class:
                ok = pos < n && m_p.classes[static_cast<size_t>(in.x)].matches(m_text[static_cast<size_t>(pos)], icase);
                ++pos, ++pc;
                break;
            case Op::Split:
                push({Frame::Branch, in.y, pos});
                pc = in.x;
                break;
            case Op::Jump:
                pc = in.x;
                break;
            case Op::Save:
                push({Frame::RestoreCapture, in.x, m_caps[static_cast<size_t>(in.x)]});
                m_caps[static_cast<size_t>(in.x)] = pos;
                ++pc;
                break;
            case Op::LineStart:
                ok = pos == 0 || (m_p.options.multiline && isLineTerminator(m_text[static_cast<size_t>(pos - 1)]));
                ++pc;
                break;
            case Op::LineEnd:
                ok = pos == n || (m_p.options.multiline && isLineTerminator(m_text[static_cast<size_t>(pos)]));
                ++pc;
                break;
            case Op::WordBoundary:
            case Op::NotWordBoundary: {
                const bool before = pos > 0 && isWordChar(m_text[static_cast<size_t>(pos - 1)]);
                const bool after = pos < n && isWordChar(m_text[static_cast<size_t>(pos)]);
                ok = (before != after) == (in.op == Op::WordBoundary);
                ++pc;
                break;
            }
            case Op::BackRef:
                ok = backReference(in.x, pos);
                ++pc;
                break;
            case Op::LookStart: {
                int ignored;
                const bool found = lookahead(pc + 1, pos, in.flag, ignored);
                ok = found != in.flag;
                pc = in.x;
                break;
            }
            case Op::LookEnd:
            case Op::Match:
                end = pos;
                return true;
            case Op::MarkSet:
                push({Frame::RestoreMark, in.x, m_marks[static_cast<size_t>(in.x)]});
                m_marks[static_cast<size_t>(in.x)] = pos;
                ++pc;
                break;
            case Op::MarkCheck:
                ok = m_marks[static_cast<size_t>(in.x)] != pos;
                ++pc;
                break;
            }
            if (ok) continue;
            if (!backtrack(base, pc, pos)) return false;
        }
    }

private:
    void push(Frame f) {
        if (m_stack.size() >= MaxBacktrackFrames) throw RuntimeError(err::OutOfStackSpace);
        m_stack.push_back(f);
    }

    // Undoes frames down to the next branch above `base`; false when none is left.
    bool backtrack(size_t base, int& pc, int& pos) {
        while (m_stack.size() > base) {
            const Frame f = m_stack.back();
            m_stack.pop_back();
            switch (f.kind) {
            case Frame::Branch:
                pc = f.index;
                pos = static_cast<int>(f.value);
                return true;
            case Frame::RestoreCapture:
                m_caps[static_cast<size_t>(f.index)] = static_cast<int>(f.value);
                break;
            case Frame::RestoreMark:
                m_marks[static_cast<size_t>(f.index)] = static_cast<int>(f.value);
                break;
            }
        }
        return false;
    }

    // Runs a lookahead body; it never backtracks into once done. A positive one keeps its captures
    // (their undo frames stay on the stack), a negative one leaves none behind.
    bool lookahead(int pc, int pos, bool negative, int& end) {
        const size_t base = m_stack.size();
        if (!run(pc, pos, end)) return false;
        if (negative) {
            int dummyPc = 0, dummyPos = 0;
            while (backtrack(base, dummyPc, dummyPos)) {
            }
            return true;
        }
        size_t keep = base;
        for (size_t i = base; i < m_stack.size(); ++i)
            if (m_stack[i].kind != Frame::Branch) m_stack[keep++] = m_stack[i];
        m_stack.resize(keep);
        return true;
    }

    bool backReference(int group, int& pos) {
        const int b = m_caps[static_cast<size_t>(2 * group)];
        const int e = m_caps[static_cast<size_t>(2 * group + 1)];
        if (b < 0 || e < b) return true; // a group that took no part matches the empty text
        const int len = e - b;
        if (pos + len > static_cast<int>(m_text.size())) return false;
        for (int i = 0; i < len; ++i) {
            char16_t x = m_text[static_cast<size_t>(b + i)];
            char16_t y = m_text[static_cast<size_t>(pos + i)];
            if (m_p.options.ignoreCase) {
                x = toLower(x);
                y = toLower(y);
            }
            if (x != y) return false;
        }
        pos += len;
        return true;
    }

    const Program& m_p;
    std::u16string_view m_text;
    std::vector<int>& m_caps;
    std::vector<int> m_marks;
    std::vector<Frame> m_stack;
    uint64_t m_steps = 0;
    uint64_t m_budget;
    const std::function<void()>* m_checkTime;
};

} // namespace

Regex::Regex(std::u16string_view pattern, Options options) : m_program(std::make_unique<Program>()) {
    if (pattern.size() > static_cast<size_t>(std::numeric_limits<int>::max() / 4))
        throw RuntimeError(err::RegexSyntax, "Syntax error in regular expression");
    m_program->options = options;
    compile(pattern, *m_program);
    size_t first = 0;
    while (m_program->code[first].op == Op::Save)
        ++first;
    const Inst& lead = m_program->code[first];
    if (lead.op == Op::Char) m_program->firstChar = lead.x;
    m_program->anchored = lead.op == Op::LineStart && !options.multiline;
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

int Regex::groupCount() const {
    return m_program->groups;
}

bool Regex::search(std::u16string_view text, size_t start, std::vector<int>& captures, uint64_t stepBudget,
                   const std::function<void()>* checkTime) const {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max() - 1)) throw RuntimeError(err::OutOfMemory);
    const Program& p = *m_program;
    captures.assign(static_cast<size_t>(2 * (p.groups + 1)), -1);
    Matcher matcher(p, text, captures, stepBudget, checkTime);
    const size_t last = p.anchored ? 0 : text.size(); // ^ outside multiline mode only matches at 0
    for (size_t s = start; s <= last; ++s) {
        if (p.firstChar >= 0) {
            while (s < text.size() &&
                   (p.options.ignoreCase ? toLower(text[s]) : text[s]) != static_cast<char16_t>(p.firstChar))
                ++s;
            if (s >= text.size()) break;
        }
        int end = 0;
        std::fill(captures.begin(), captures.end(), -1);
        if (matcher.run(0, static_cast<int>(s), end)) {
            captures[0] = static_cast<int>(s);
            captures[1] = end;
            return true;
        }
    }
    captures.assign(captures.size(), -1);
    return false;
}

std::u16string expandReplacement(std::u16string_view replacement, std::u16string_view text,
                                 const std::vector<int>& captures) {
    std::u16string out;
    const int groups = static_cast<int>(captures.size() / 2) - 1;
    auto append = [&](int b, int e) {
        if (b >= 0 && e >= b) out.append(text.substr(static_cast<size_t>(b), static_cast<size_t>(e - b)));
    };
    for (size_t i = 0; i < replacement.size(); ++i) {
        const char16_t c = replacement[i];
        if (c != '$' || i + 1 >= replacement.size()) {
            out.push_back(c);
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == '$') {
            out.push_back('$');
            ++i;
        } else if (next == '&') {
            append(captures[0], captures[1]);
            ++i;
        } else if (next == '`') {
            append(0, captures[0]);
            ++i;
        } else if (next == '\'') {
            append(captures[1], static_cast<int>(text.size()));
            ++i;
        } else if (next >= '0' && next <= '9') {
            // Two digits when they name an existing group, else one.
            int n = next - '0';
            size_t used = 1;
            if (i + 2 < replacement.size() && replacement[i + 2] >= '0' && replacement[i + 2] <= '9' &&
                n * 10 + (replacement[i + 2] - '0') <= groups) {
                n = n * 10 + (replacement[i + 2] - '0');
                used = 2;
            }
            if (n >= 1 && n <= groups) {
                append(captures[static_cast<size_t>(2 * n)], captures[static_cast<size_t>(2 * n + 1)]);
                i += used;
            } else {
                out.push_back(c);
            }
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace tvk::script::regex
