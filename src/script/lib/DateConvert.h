#pragma once

#include "script/Builtins.h"

#include <optional>

namespace tvk::script::lib {

// CDate of a value: dates as they are, numbers in the date range, text read by the date reader (a year left
// out is the current one). 13 for text that is no date or other types, 6 for numbers outside the range,
// 94 for Null.
double dateOf(CallContext& ctx, const Value& v);
// The date a value stands for without raising errors; empty when it has none (IsDate).
std::optional<double> tryDateOf(CallContext& ctx, const Value& v);
// The host clock's local time as a date serial.
double localNow(CallContext& ctx);

} // namespace tvk::script::lib
