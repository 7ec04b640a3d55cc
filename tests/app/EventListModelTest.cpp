#include "app/main/EventListModel.h"
#include "events/clsEvents.h"

#include <gtest/gtest.h>

namespace tvk {
namespace {

QStringList rowTexts(const EventListModel& model, int row) {
    QStringList out;
    for (int c = 0; c < model.columnCount(); ++c)
        out << model.cellText(row, c);
    return out;
}

class EventListModelTest : public ::testing::Test {
protected:
    // Key names as a backend would give them, counting how often each is asked for.
    EventListModel model{[this](int32_t v) {
        ++namesAsked;
        return v == 1 ? QStringLiteral("LBUTTON") : QStringLiteral("K%1").arg(v);
    }};
    int namesAsked = 0;
    int32_t tick = 1000;
    clsEvents list{[this] { return tick; }};

    int32_t add(int32_t type, bool pressed, int32_t x, int32_t y, int32_t data, int32_t atTick) {
        tick = atTick;
        const int32_t i = list.AddEvent(type, pressed, x, y, data);
        model.appendEvent(list, i);
        return i;
    }
};

TEST_F(EventListModelTest, RowsShowTheEventsTextsAtTheTimeTheyWereAdded) {
    add(Wait, false, 0, 0, 40, 1000);
    add(MouseClick, true, 10, 20, 1, 1040);
    add(Wait, false, 0, 0, 310, 1040);
    add(KeyBoard, false, 3, 4, 65, 1100);
    add(MouseMove, false, 100, 200, 0, 1350);
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(rowTexts(model, 0), (QStringList{"1", "0", "Wait", "40", "0", "0", "False"}));
    EXPECT_EQ(rowTexts(model, 1), (QStringList{"2", "40", "MouseClick", "VK_LBUTTON", "10", "20", "True"}));
    EXPECT_EQ(rowTexts(model, 3), (QStringList{"4", "100", "KeyBoard", "VK_K65", "3", "4", "False"}));
    EXPECT_EQ(rowTexts(model, 4), (QStringList{"5", "350", "MouseMove", "0", "100", "200", "False"}));

    // Rows are snapshots: editing the event afterwards does not change its row.
    list.setEventPosX(4, 999);
    EXPECT_EQ(model.cellText(4, 4), "100");
}

TEST_F(EventListModelTest, RemovedRowsLeaveTheOthersTextsAlone) {
    for (int i = 0; i < 5; ++i)
        add(Wait, false, i, 0, i, 1000 + 10 * i);
    list.RemoveEvent(2);
    model.removeAt(2);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.cellText(2, 0), "4");
    EXPECT_EQ(model.cellText(3, 0), "5");
    EXPECT_EQ(model.cellText(3, 1), "40");
    model.removeAt(7); // no such row: nothing happens
    model.removeAt(-1);
    EXPECT_EQ(model.rowCount(), 4);
}

TEST_F(EventListModelTest, RebuildRenumbersFromTheList) {
    for (int i = 0; i < 5; ++i)
        add(Wait, false, i, 0, i, 1000 + 10 * i);
    list.RemoveEvent(0);
    model.rebuild(list);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(rowTexts(model, 0), (QStringList{"1", "0", "Wait", "1", "1", "0", "False"}));
    EXPECT_EQ(model.cellText(3, 1), "30");
}

TEST_F(EventListModelTest, UnknownTypesShowTheirCodesAndKeyNamesAreShared) {
    add(7, false, 1, 2, 3, 1000);
    EXPECT_EQ(rowTexts(model, 0), (QStringList{"1", "0", "7", "3", "1", "2", "False"}));
    add(MouseWheel, false, 1, 2, 240, 1000);
    EXPECT_EQ(rowTexts(model, 1), (QStringList{"2", "0", "MouseWheel", "240", "1", "2", "False"}));
    EXPECT_EQ(namesAsked, 0) << "a wheel delta is no key";
    for (int i = 0; i < 100; ++i)
        add(KeyBoard, i % 2 == 0, 0, 0, 65, 1000 + i);
    add(KeyBoard, true, 0, 0, 65 + 0x10000, 2000); // same low 16 bits: same name
    EXPECT_EQ(namesAsked, 1);
    EXPECT_EQ(model.cellText(101, 3), "VK_K65");
    add(MouseClick, true, 0, 0, 1 + 0x10000, 2000); // not the fixed value 1: asked separately
    EXPECT_EQ(namesAsked, 2);
}

TEST_F(EventListModelTest, TimeDifferencesWrapLikeTickCounts) {
    add(Wait, false, 0, 0, 0, 2147483000);
    add(Wait, false, 0, 0, 0, -2147483000);
    EXPECT_EQ(model.cellText(1, 1), "1296");
}

TEST_F(EventListModelTest, AListWhoseCountExceedsItsStorageLeavesTheRowsUnchanged) {
    for (int i = 0; i < 3; ++i)
        add(Wait, false, 0, 0, i, 1000);
    list.EventCount = 1000000; // as a script may write it
    EXPECT_ANY_THROW(model.rebuild(list));
    EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(EventListModelTest, HeadersFollowTranslation) {
    EXPECT_EQ(model.columnCount(), 7);
    model.setHeaders({"Nr", "Zeit"});
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Zeit");
    add(MouseMove, true, 5, 6, 0, 1000);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), "1");
}

} // namespace
} // namespace tvk
