#include "events/RuntimeError.h"
#include "script/lib/RegexProgram.h"

#include <memory>

namespace tvk::script::regex {
namespace {

constexpr int Unbounded = -1;
constexpr size_t MaxProgramSize = 200'000;
constexpr int MaxNesting = 200;

[[noreturn]] void fail(int number) {
    switch (number) {
    case err::RegexUnexpectedQuantifier:
        throw RuntimeError(number, "Unexpected quantifier");
    case err::RegexExpectedBracket:
        throw RuntimeError(number, "Expected ']' in regular expression");
    case err::RegexExpectedParen:
        throw RuntimeError(number, "Expected ')' in regular expression");
    case err::RegexInvalidRange:
        throw RuntimeError(number, "Invalid range in character set");
    default:
        throw RuntimeError(err::RegexSyntax, "Syntax error in regular expression");
    }
}

using textfold::toLower;

const std::vector<Range>& digitRanges() {
    static const std::vector<Range> r{{'0', '9'}};
    return r;
}
const std::vector<Range>& wordRanges() {
    static const std::vector<Range> r{{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
    return r;
}
const std::vector<Range>& spaceRanges() {
    static const std::vector<Range> r{{'\t', '\r'}, {' ', ' '}, {0xA0, 0xA0}, {0x2028, 0x2029}, {0xFEFF, 0xFEFF}};
    return r;
}

// Complement of sorted, non-overlapping ranges over the 16-bit code units.
std::vector<Range> complement(const std::vector<Range>& ranges) {
    std::vector<Range> out;
    uint32_t next = 0;
    for (const Range& r : ranges) {
        if (r.first > next) out.push_back({static_cast<char16_t>(next), static_cast<char16_t>(r.first - 1)});
        next = uint32_t{r.second} + 1;
    }
    if (next <= 0xFFFF) out.push_back({static_cast<char16_t>(next), char16_t{0xFFFF}});
    return out;
}

struct Node {
    enum Kind {
        Empty,
        Literal,
        AnyChar,
        ClassRef,
        Sequence,
        Alternation,
        Group,
        Repeat,
        LineStart,
        LineEnd,
        WordBoundary,
        NotWordBoundary,
        BackRef,
        LookAhead
    } kind;
    int value = 0; // literal, class index, group number (-1 for non-capturing), backreference
    int min = 0;
    int max = 0;
    bool greedy = true;
    bool negative = false;
    std::vector<std::unique_ptr<Node>> kids;

    explicit Node(Kind k, int v = 0) : kind(k), value(v) {}
};

using NodePtr = std::unique_ptr<Node>;

// Recursive-descent reader of the pattern into a tree.
class Parser {
public:
    Parser(std::u16string_view pattern, Program& program) : m_p(pattern), m_prog(program) {}

    NodePtr parse() {
        m_totalGroups = countGroups();
        NodePtr root = parseAlternation();
        if (m_pos < m_p.size()) // a ')' with no group open
            fail(err::RegexSyntax);
        m_prog.groups = m_groups;
        return root;
    }

private:
    // Groups in the whole pattern, so \N can tell a backreference from an octal escape.
    int countGroups() const {
        int count = 0;
        bool inClass = false;
        for (size_t i = 0; i < m_p.size(); ++i) {
            const char16_t c = m_p[i];
            if (c == '\\')
                ++i;
            else if (inClass)
                inClass = c != ']';
            else if (c == '[')
                inClass = true;
            else if (c == '(' && !(i + 1 < m_p.size() && m_p[i + 1] == '?'))
                ++count;
        }
        return count;
    }

    bool atEnd() const { return m_pos >= m_p.size(); }
    char16_t peek() const { return m_p[m_pos]; }

    // alternation := sequence ('|' sequence)*
    NodePtr parseAlternation() {
        if (++m_depth > MaxNesting) fail(err::RegexSyntax);
        auto first = parseSequence();
        if (atEnd() || peek() != '|') {
            --m_depth;
            return first;
        }
        auto alt = std::make_unique<Node>(Node::Alternation);
        alt->kids.push_back(std::move(first));
        while (!atEnd() && peek() == '|') {
            ++m_pos;
            alt->kids.push_back(parseSequence());
        }
        --m_depth;
        return alt;
    }

    // sequence := (atom quantifier?)*
    NodePtr parseSequence() {
        auto seq = std::make_unique<Node>(Node::Sequence);
        while (!atEnd() && peek() != '|' && peek() != ')') {
            if (isQuantifierStart()) fail(err::RegexUnexpectedQuantifier);
            NodePtr atom = parseAtom();
            atom = parseQuantifier(std::move(atom));
            if (!atEnd() && isQuantifierStart()) fail(err::RegexUnexpectedQuantifier);
            seq->kids.push_back(std::move(atom));
        }
        return seq;
    }

    bool isQuantifierStart() {
        const char16_t c = peek();
        if (c == '*' || c == '+' || c == '?') return true;
        if (c != '{') return false;
        int lo, hi;
        size_t save = m_pos;
        const bool ok = readBraces(lo, hi);
        m_pos = save;
        return ok;
    }

    // {n}, {n,}, {n,m}; false (position unchanged) when the text is no such quantifier.
    bool readBraces(int& lo, int& hi) {
        size_t i = m_pos + 1;
        auto number = [&](int& out) {
            const size_t start = i;
            long long v = 0;
            while (i < m_p.size() && m_p[i] >= '0' && m_p[i] <= '9') {
                v = std::min<long long>(v * 10 + (m_p[i] - '0'), 1'000'000);
                ++i;
            }
            out = static_cast<int>(v);
            return i > start;
        };
        if (!number(lo)) return false;
        hi = lo;
        if (i < m_p.size() && m_p[i] == ',') {
            ++i;
            if (!number(hi)) hi = Unbounded;
        }
        if (i >= m_p.size() || m_p[i] != '}') return false;
        m_pos = i + 1;
        return true;
    }

    // quantifier := ('*' | '+' | '?' | '{' n [',' [m]] '}') '?'?
    NodePtr parseQuantifier(NodePtr atom) {
        if (atEnd()) return atom;
        int lo, hi;
        const char16_t c = peek();
        if (c == '*') {
            lo = 0, hi = Unbounded, ++m_pos;
        } else if (c == '+') {
            lo = 1, hi = Unbounded, ++m_pos;
        } else if (c == '?') {
            lo = 0, hi = 1, ++m_pos;
        } else if (c == '{' && readBraces(lo, hi)) {
            if (hi != Unbounded && hi < lo) fail(err::RegexSyntax);
        } else {
            return atom;
        }
        auto rep = std::make_unique<Node>(Node::Repeat);
        rep->min = lo;
        rep->max = hi;
        if (!atEnd() && peek() == '?') {
            rep->greedy = false;
            ++m_pos;
        }
        rep->kids.push_back(std::move(atom));
        return rep;
    }

    NodePtr parseAtom() {
        const char16_t c = m_p[m_pos++];
        switch (c) {
        case '.':
            return std::make_unique<Node>(Node::AnyChar);
        case '^':
            return std::make_unique<Node>(Node::LineStart);
        case '$':
            return std::make_unique<Node>(Node::LineEnd);
        case '[':
            return parseClass();
        case '(':
            return parseGroup();
        case '\\':
            return parseEscape();
        default:
            return std::make_unique<Node>(Node::Literal, c);
        }
    }

    // group := '(' ['?:' | '?=' | '?!'] alternation ')'
    NodePtr parseGroup() {
        NodePtr group;
        if (!atEnd() && peek() == '?') {
            if (m_pos + 1 >= m_p.size()) fail(err::RegexSyntax);
            const char16_t kind = m_p[m_pos + 1];
            m_pos += 2;
            if (kind == ':') {
                group = std::make_unique<Node>(Node::Group, -1);
            } else if (kind == '=' || kind == '!') {
                group = std::make_unique<Node>(Node::LookAhead);
                group->negative = kind == '!';
            } else {
                fail(err::RegexSyntax);
            }
        } else {
            group = std::make_unique<Node>(Node::Group, ++m_groups);
        }
        group->kids.push_back(parseAlternation());
        if (atEnd() || peek() != ')') fail(err::RegexExpectedParen);
        ++m_pos;
        return group;
    }

    int hexDigits(int count) {
        if (m_pos + static_cast<size_t>(count) > m_p.size()) return -1;
        int v = 0;
        for (int i = 0; i < count; ++i) {
            const char16_t h = m_p[m_pos + static_cast<size_t>(i)];
            int d;
            if (h >= '0' && h <= '9')
                d = h - '0';
            else if (h >= 'a' && h <= 'f')
                d = h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                d = h - 'A' + 10;
            else
                return -1;
            v = v * 16 + d;
        }
        m_pos += static_cast<size_t>(count);
        return v;
    }

    // A character escape shared by atoms and classes; the backslash is already read. -1 when `c` names a
    // class (\d \w \s and their complements), whose ranges are then in `ranges`.
    int characterEscape(char16_t c, std::vector<Range>& ranges) {
        switch (c) {
        case 't':
            return '\t';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 'f':
            return '\f';
        case 'v':
            return '\v';
        case 'd':
            ranges = digitRanges();
            return -1;
        case 'D':
            ranges = complement(digitRanges());
            return -1;
        case 'w':
            ranges = wordRanges();
            return -1;
        case 'W':
            ranges = complement(wordRanges());
            return -1;
        case 's':
            ranges = spaceRanges();
            return -1;
        case 'S':
            ranges = complement(spaceRanges());
            return -1;
        case 'x': {
            const int v = hexDigits(2);
            return v < 0 ? 'x' : v;
        }
        case 'u': {
            const int v = hexDigits(4);
            return v < 0 ? 'u' : v;
        }
        case 'c':
            if (!atEnd() && ((peek() >= 'a' && peek() <= 'z') || (peek() >= 'A' && peek() <= 'Z')))
                return m_p[m_pos++] % 32;
            return '\\';
        default:
            return c;
        }
    }

    // Octal escape \0 .. \377 (the first digit is already read).
    int octal(char16_t first) {
        int v = first - '0';
        for (int i = 0; i < 2 && !atEnd() && peek() >= '0' && peek() <= '7' && v * 8 + (peek() - '0') <= 0377; ++i)
            v = v * 8 + (m_p[m_pos++] - '0');
        return v;
    }

    NodePtr parseEscape() {
        if (atEnd()) fail(err::RegexSyntax);
        const char16_t c = m_p[m_pos++];
        if (c == 'b') return std::make_unique<Node>(Node::WordBoundary);
        if (c == 'B') return std::make_unique<Node>(Node::NotWordBoundary);
        if (c >= '1' && c <= '9') {
            size_t end = m_pos;
            int n = c - '0';
            while (end < m_p.size() && m_p[end] >= '0' && m_p[end] <= '9' && n * 10 + (m_p[end] - '0') <= m_totalGroups)
                n = n * 10 + (m_p[end++] - '0');
            if (n <= m_totalGroups) {
                m_pos = end;
                return std::make_unique<Node>(Node::BackRef, n);
            }
            if (c <= '7') return std::make_unique<Node>(Node::Literal, octal(c));
            return std::make_unique<Node>(Node::Literal, c);
        }
        if (c == '0') return std::make_unique<Node>(Node::Literal, octal(c));
        std::vector<Range> ranges;
        const int ch = characterEscape(c, ranges);
        if (ch >= 0) return std::make_unique<Node>(Node::Literal, ch);
        CharClass cls;
        cls.ranges = std::move(ranges);
        return addClass(std::move(cls));
    }

    NodePtr addClass(CharClass cls) {
        cls.normalise();
        m_prog.classes.push_back(std::move(cls));
        return std::make_unique<Node>(Node::ClassRef, static_cast<int>(m_prog.classes.size() - 1));
    }

    // One member of a class: a code unit (>= 0) or a class escape (-1, ranges filled).
    int classAtom(std::vector<Range>& ranges) {
        const char16_t c = m_p[m_pos++];
        if (c != '\\') return c;
        if (atEnd()) fail(err::RegexExpectedBracket);
        const char16_t e = m_p[m_pos++];
        if (e == 'b') return '\b';
        if (e >= '0' && e <= '7') return octal(e);
        return characterEscape(e, ranges);
    }

    // class := '[' '^'? (atom | atom '-' atom)* ']'
    NodePtr parseClass() {
        CharClass cls;
        if (!atEnd() && peek() == '^') {
            cls.negated = true;
            ++m_pos;
        }
        while (true) {
            if (atEnd()) fail(err::RegexExpectedBracket);
            if (peek() == ']') {
                ++m_pos;
                break;
            }
            std::vector<Range> ranges;
            const int lo = classAtom(ranges);
            if (lo < 0) {
                cls.ranges.insert(cls.ranges.end(), ranges.begin(), ranges.end());
                continue;
            }
            if (m_pos + 1 < m_p.size() && peek() == '-' && m_p[m_pos + 1] != ']') {
                ++m_pos;
                std::vector<Range> upperRanges;
                const int hi = classAtom(upperRanges);
                if (hi < 0) { // [a-\d]: the dash is a literal
                    cls.ranges.push_back({static_cast<char16_t>(lo), static_cast<char16_t>(lo)});
                    cls.ranges.push_back({u'-', u'-'});
                    cls.ranges.insert(cls.ranges.end(), upperRanges.begin(), upperRanges.end());
                    continue;
                }
                if (hi < lo) fail(err::RegexInvalidRange);
                cls.ranges.push_back({static_cast<char16_t>(lo), static_cast<char16_t>(hi)});
            } else {
                cls.ranges.push_back({static_cast<char16_t>(lo), static_cast<char16_t>(lo)});
            }
        }
        return addClass(std::move(cls));
    }

    std::u16string_view m_p;
    Program& m_prog;
    size_t m_pos = 0;
    int m_groups = 0;
    int m_totalGroups = 0;
    int m_depth = 0;
};

bool nullable(const Node& n) {
    switch (n.kind) {
    case Node::Literal:
    case Node::AnyChar:
    case Node::ClassRef:
        return false;
    case Node::Sequence:
        return std::all_of(n.kids.begin(), n.kids.end(), [](const NodePtr& k) { return nullable(*k); });
    case Node::Alternation:
        return std::any_of(n.kids.begin(), n.kids.end(), [](const NodePtr& k) { return nullable(*k); });
    case Node::Group:
        return nullable(*n.kids[0]);
    case Node::Repeat:
        return n.min == 0 || nullable(*n.kids[0]);
    default:
        return true;
    }
}

// Turns the tree into instructions for the backtracking machine.
class Compiler {
public:
    explicit Compiler(Program& p) : m_p(p) {}

    void compile(const Node& root) {
        emitNode(root);
        emit({Op::Match});
    }

private:
    int emit(Inst inst) {
        if (m_p.code.size() >= MaxProgramSize) fail(err::RegexSyntax);
        m_p.code.push_back(inst);
        return static_cast<int>(m_p.code.size() - 1);
    }
    int here() const { return static_cast<int>(m_p.code.size()); }

    void emitNode(const Node& n) {
        switch (n.kind) {
        case Node::Empty:
            break;
        case Node::Literal: {
            const auto c = static_cast<char16_t>(n.value);
            emit({Op::Char, false, m_p.options.ignoreCase ? toLower(c) : c});
            break;
        }
        case Node::AnyChar:
            emit({Op::Any});
            break;
        case Node::ClassRef:
            emit({Op::Class, false, n.value});
            break;
        case Node::Sequence:
            for (const NodePtr& k : n.kids)
                emitNode(*k);
            break;
        case Node::Alternation: {
            std::vector<int> jumps;
            for (size_t i = 0; i < n.kids.size(); ++i) {
                if (i + 1 < n.kids.size()) {
                    const int split = emit({Op::Split});
                    m_p.code[static_cast<size_t>(split)].x = here();
                    emitNode(*n.kids[i]);
                    jumps.push_back(emit({Op::Jump}));
                    m_p.code[static_cast<size_t>(split)].y = here();
                } else {
                    emitNode(*n.kids[i]);
                }
            }
            for (int j : jumps)
                m_p.code[static_cast<size_t>(j)].x = here();
            break;
        }
        case Node::Group:
            if (n.value > 0) emit({Op::Save, false, 2 * n.value});
            emitNode(*n.kids[0]);
            if (n.value > 0) emit({Op::Save, false, 2 * n.value + 1});
            break;
        case Node::Repeat:
            emitRepeat(n);
            break;
        case Node::LineStart:
            emit({Op::LineStart});
            break;
        case Node::LineEnd:
            emit({Op::LineEnd});
            break;
        case Node::WordBoundary:
            emit({Op::WordBoundary});
            break;
        case Node::NotWordBoundary:
            emit({Op::NotWordBoundary});
            break;
        case Node::BackRef:
            if (n.value > m_p.groups) // the pre-count and the parser disagree: never index past the captures
                fail(err::RegexSyntax);
            emit({Op::BackRef, false, n.value});
            break;
        case Node::LookAhead: {
            const int start = emit({Op::LookStart, n.negative});
            emitNode(*n.kids[0]);
            emit({Op::LookEnd});
            m_p.code[static_cast<size_t>(start)].x = here();
            break;
        }
        }
    }

    // Split preferring the loop body when greedy, the way out when lazy; returns its index.
    int emitChoice(bool greedy) { return emit({Op::Split, greedy}); }
    void patchChoice(int at, int body, int exit) {
        Inst& s = m_p.code[static_cast<size_t>(at)];
        s.x = s.flag ? body : exit;
        s.y = s.flag ? exit : body;
        s.flag = false;
    }

    void emitRepeat(const Node& n) {
        const Node& body = *n.kids[0];
        for (int i = 0; i < n.min; ++i)
            emitNode(body);
        if (n.max == Unbounded) {
            const bool guard = nullable(body);
            const int mark = guard ? m_p.marks++ : 0;
            const int loop = emitChoice(n.greedy);
            const int bodyStart = here();
            if (guard) emit({Op::MarkSet, false, mark});
            emitNode(body);
            if (guard) emit({Op::MarkCheck, false, mark});
            emit({Op::Jump, false, loop});
            patchChoice(loop, bodyStart, here());
            return;
        }
        std::vector<int> choices;
        for (int i = n.min; i < n.max; ++i) {
            choices.push_back(emitChoice(n.greedy));
            emitNode(body);
        }
        // Each optional copy may be skipped, which ends the repetition.
        const int exit = here();
        for (int c : choices)
            patchChoice(c, c + 1, exit);
    }

    Program& m_p;
};

} // namespace

void compile(std::u16string_view pattern, Program& program) {
    Parser parser(pattern, program);
    const NodePtr root = parser.parse();
    Compiler(program).compile(*root);
}

} // namespace tvk::script::regex
