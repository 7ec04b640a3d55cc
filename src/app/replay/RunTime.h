#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tvk {

class clsEvents;

// "hh:mm:ss:mmmm" with fields of at least two, two, two and four digits; a negative field shows
// its minus sign before the padded digits (-1500 gives "00:00:-01:-0500").
std::string FormatTime(int64_t ms);

// Milliseconds between the first and the last event of a range. A negative end means the last
// event, a negative start the first; an index naming no event contributes time 0. Tick counts
// wrap at 32 bits, so the difference is taken modulo 2^32.
int32_t GetEventSpan(const clsEvents& list, int32_t start, int32_t end);

// The estimate for `loops` extra passes over a span: (loops + 1) x span, or nothing when the
// loops are endless (negative) or the product leaves the range a time text can show.
std::optional<int64_t> estimateRunTime(double loops, int32_t span);

} // namespace tvk
