#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The regular-expression engine behind `New RegExp`: the pattern language scripts know (classes, greedy and
// lazy quantifiers, groups, alternation, anchors, \b \d \w \s, backreferences, lookahead). Matching runs on an
// explicit backtracking stack with a step budget, so no pattern or input can exhaust the native stack or run
// without end: a search past its budget raises a runtime error instead.
namespace tvk::script::regex {

struct Options {
    bool ignoreCase = false;
    bool multiline = false; // ^ and $ also match at line breaks
};

// Steps (instructions executed) one search may take before it is abandoned.
inline constexpr uint64_t DefaultStepBudget = 50'000'000;

struct Program;

class Regex {
public:
    // Compiles `pattern`; a malformed one throws tvk::RuntimeError err::RegexSyntax, or one of the
    // more precise err::RegexUnexpectedQuantifier, RegexExpectedBracket, RegexExpectedParen, RegexInvalidRange.
    Regex(std::u16string_view pattern, Options options);
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;

    // Number of capturing groups.
    int groupCount() const;
    // Finds the leftmost match starting at or after `start`. On success `captures` holds 2 * (groups + 1)
    // positions: begin and end of the whole match, then of each group (-1, -1 when a group took no part).
    // Throws tvk::RuntimeError when the step budget runs out. `checkTime`, when given, is called every
    // few ten thousand steps and may throw to end a search that outlasts the caller's time budget.
    bool search(std::u16string_view text, size_t start, std::vector<int>& captures,
                uint64_t stepBudget = DefaultStepBudget, const std::function<void()>* checkTime = nullptr) const;

private:
    std::unique_ptr<Program> m_program;
};

// Expands a replacement template: $1..$99 group text, $& the match, $` before it, $' after it, $$ a dollar.
// A reference to a group that does not exist stays as written.
std::u16string expandReplacement(std::u16string_view replacement, std::u16string_view text,
                                 const std::vector<int>& captures);

} // namespace tvk::script::regex
