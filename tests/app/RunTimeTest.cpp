#include "app/replay/RunTime.h"
#include "events/clsEvents.h"

#include <gtest/gtest.h>

namespace tvk {
namespace {

TEST(FormatTime, FieldsArePaddedAndNegativeFieldsCarryTheirSign) {
    const std::pair<int64_t, const char*> cases[] = {
        {3723004, "01:02:03:0004"},      {0, "00:00:00:0000"},         {-1500, "00:00:-01:-0500"},
        {3500, "00:00:03:0500"},         {10500, "00:00:10:0500"},     {359999999, "99:59:59:0999"},
        {360000000, "100:00:00:0000"},   {-3600000, "-01:00:00:0000"}, {2147483647, "596:31:23:0647"},
        {4294967294, "1193:02:47:0294"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(FormatTime(ms), text) << ms;
}

std::shared_ptr<clsEvents> listWithTimes(std::initializer_list<int32_t> times) {
    auto list = std::make_shared<clsEvents>([] { return 0; });
    for (int32_t t : times) {
        const int32_t i = list->AddEvent(Wait, false, 0, 0, 0);
        list->setEventTime(i, t);
    }
    return list;
}

TEST(GetEventSpan, RangeRules) {
    const auto list = listWithTimes({1000, 2000, 3000, 4500});
    EXPECT_EQ(GetEventSpan(*list, -1, -1), 3500);
    EXPECT_EQ(GetEventSpan(*list, 1, 2), 1000);
    EXPECT_EQ(GetEventSpan(*list, 2, -5), 1500); // negative end: the last event
    EXPECT_EQ(GetEventSpan(*list, 0, 9), -1000); // an end naming no event counts as time 0
    EXPECT_EQ(GetEventSpan(*listWithTimes({}), -1, -1), 0);
    // Tick counts wrap at 32 bits: a recording across the wrap still spans its real duration.
    EXPECT_EQ(GetEventSpan(*listWithTimes({2147483000, -2147483000}), -1, -1), 1296);
}

TEST(EstimateRunTime, LoopsMultiplyTheSpanAndEndlessHasNoEstimate) {
    EXPECT_EQ(estimateRunTime(0, 3500), 3500);
    EXPECT_EQ(estimateRunTime(2, 3500), 10500);
    EXPECT_EQ(estimateRunTime(0.5, 3), 4); // 4.5 rounds to the even neighbour
    EXPECT_EQ(estimateRunTime(0, -1000), -1000);
    EXPECT_EQ(estimateRunTime(-1, 3500), std::nullopt);
    EXPECT_EQ(estimateRunTime(-0.5, 3500), std::nullopt);
    // Beyond 32 bits the estimate is still shown in full rather than failing.
    EXPECT_EQ(estimateRunTime(2147483647, 1000), int64_t{2147483648} * 1000);
    EXPECT_EQ(estimateRunTime(1e300, 1000), std::nullopt);
}

} // namespace
} // namespace tvk
