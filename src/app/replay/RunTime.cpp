#include "app/replay/RunTime.h"

#include "events/clsEvents.h"

#include <cmath>

namespace tvk {

namespace {

void appendField(std::string& out, int64_t value, size_t width) {
    if (value < 0) out += '-';
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < width) out.append(width - digits.size(), '0');
    out += digits;
}

} // namespace

std::string FormatTime(int64_t ms) {
    struct Field {
        int64_t divisor;
        size_t width;
    };
    static constexpr Field fields[] = {{3600000, 2}, {60000, 2}, {1000, 2}, {1, 4}};
    std::string out;
    int64_t rest = ms;
    for (size_t i = 0; i < std::size(fields); ++i) {
        const int64_t q = rest / fields[i].divisor; // truncates toward zero
        rest -= fields[i].divisor * q;
        appendField(out, q, fields[i].width); // |q| <= INT64_MAX / 3600000 for the first field
        if (i + 1 < std::size(fields)) out += ':';
    }
    return out;
}

int32_t GetEventSpan(const clsEvents& list, int32_t start, int32_t end) {
    if (end < 0) end = list.EventCount == INT32_MIN ? INT32_MIN : list.EventCount - 1;
    if (start < 0) start = 0;
    auto timeAt = [&](int32_t i) { return list.IsEvent(i) ? list.EventTime(i) : 0; };
    const uint32_t diff = static_cast<uint32_t>(timeAt(end)) - static_cast<uint32_t>(timeAt(start));
    return static_cast<int32_t>(diff);
}

std::optional<int64_t> estimateRunTime(double loops, int32_t span) {
    if (!(loops >= 0)) return std::nullopt;
    const double total = std::nearbyint((loops + 1.0) * static_cast<double>(span));
    // Beyond about 2.9 million years the text would be meaningless; the caller shows "N/A".
    if (!(std::fabs(total) <= 9.0e16)) return std::nullopt;
    return static_cast<int64_t>(total);
}

} // namespace tvk
