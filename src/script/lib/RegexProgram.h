#pragma once

#include "script/lib/Regex.h"
#include "script/lib/TextFold.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

// The compiled form of a pattern: instructions for the backtracking machine in Regex.cpp, built by
// RegexCompiler.cpp. Internal to the pattern engine.
namespace tvk::script::regex {

using Range = std::pair<char16_t, char16_t>;

struct CharClass {
    std::vector<Range> ranges; // sorted, merged
    bool negated = false;

    bool has(char16_t c) const {
        auto it =
            std::upper_bound(ranges.begin(), ranges.end(), c, [](char16_t v, const Range& r) { return v < r.first; });
        return it != ranges.begin() && c <= std::prev(it)->second;
    }
    bool matches(char16_t c, bool ignoreCase) const {
        bool in = has(c);
        if (!in && ignoreCase) in = has(textfold::toLower(c)) || has(textfold::toUpper(c));
        return in != negated;
    }
    void normalise() {
        std::sort(ranges.begin(), ranges.end());
        std::vector<Range> merged;
        for (const Range& r : ranges) {
            if (!merged.empty() && uint32_t{r.first} <= uint32_t{merged.back().second} + 1)
                merged.back().second = std::max(merged.back().second, r.second);
            else
                merged.push_back(r);
        }
        ranges = std::move(merged);
    }
};

enum class Op : uint8_t {
    Char,      // x: code unit (lower-cased when ignoring case)
    Any,       // any code unit but a line feed
    Class,     // x: class index
    Split,     // try x, on failure y
    Jump,      // x
    Save,      // x: capture slot
    LineStart, // ^
    LineEnd,   // $
    WordBoundary,
    NotWordBoundary,
    BackRef,   // x: group
    LookStart, // flag: negative; x: first instruction after the matching LookEnd
    LookEnd,
    MarkSet,   // x: loop register, records the position an iteration starts at
    MarkCheck, // x: loop register; fails when the iteration consumed nothing
    Match,
};

struct Inst {
    Op op;
    bool flag = false;
    int32_t x = 0;
    int32_t y = 0;
};

struct Program {
    std::vector<Inst> code;
    std::vector<CharClass> classes;
    int groups = 0;
    int marks = 0;
    Options options;
    int firstChar = -1;    // literal every match starts with, when known
    bool anchored = false; // starts with ^ outside multiline mode
};

// Parses and compiles `pattern`; throws tvk::RuntimeError with the pattern error numbers when it is malformed
// or too large.
void compile(std::u16string_view pattern, Program& program);

} // namespace tvk::script::regex
