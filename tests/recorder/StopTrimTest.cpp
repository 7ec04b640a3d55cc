#include "RecorderFixture.h"

#include "recorder/StopTrim.h"
#include "recorder/VirtualKeys.h"

namespace tvk::testing {
namespace {

struct TrimCase {
    const char* name;
    std::vector<Ev> events;
    std::vector<bool> own;
    StopGesture stop;
    int32_t first;
    int32_t expectedCut;
};

TEST(StopTrimTest, OnlyTheTrailingStopGestureIsCut) {
    const std::vector<Ev> hello{clickEv(vk::LButton, true, 5, 5),
                                clickEv(vk::LButton, false, 5, 5),
                                keyEv('H', true),
                                keyEv('H', false),
                                keyEv('I', true),
                                keyEv('I', false)};
    const auto with = [&](std::vector<Ev> tail) {
        auto all = hello;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    const std::vector<bool> helloOwn(hello.size(), false);
    const auto ownThen = [&](std::vector<bool> tail) {
        auto all = helloOwn;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    const std::vector<TrimCase> cases{
        {"nothing to cut", hello, helloOwn, {}, 0, 6},
        {"Ctrl+R held at the stop, after the click into the own window",
         with({waitEv(300), moveEv(50, 50), clickEv(vk::LButton, true, 50, 50), clickEv(vk::LButton, false, 50, 50),
               keyEv(vk::Control, true), keyEv(vk::LControl, true), waitEv(20), keyEv('R', true)}),
         ownThen({false, false, true, true, true, true, false, true}),
         {{vk::Control, vk::LControl, 'R'}, {}},
         0,
         8},
        {"the menu clicked with the mouse: moves towards it stay, the rest goes",
         with({moveEv(40, 10), waitEv(10), clickEv(vk::LButton, true, 40, 10), clickEv(vk::LButton, false, 40, 10),
               moveEv(40, 60), clickEv(vk::LButton, true, 40, 60)}),
         ownThen({false, false, true, true, false, true}),
         {{}, {}},
         0,
         8},
        {"a hotkey into another window, released before the stop",
         with({waitEv(100), keyEv(vk::Control, true), keyEv(vk::F1 + 8, true), keyEv(vk::F1 + 8, false), waitEv(10)}),
         ownThen({false, false, false, false, false}),
         {{vk::Control}, {vk::Control, vk::LControl, vk::F1 + 8}},
         0,
         7},
        {"a held key pressed before the typing stays: the middle is never cut",
         {keyEv(vk::Shift, true), keyEv('H', true), keyEv('H', false), waitEv(10), keyEv('R', true)},
         {false, false, false, false, false},
         {{vk::Shift, 'R'}, {}},
         0,
         4},
        {"an own click in the middle stays",
         with({clickEv(vk::LButton, true, 50, 50), keyEv('X', true)}),
         ownThen({true, false}),
         {{}, {}},
         0,
         8},
        {"a release that is no stop event ends the run",
         with({keyEv('Q', false), keyEv('R', true)}),
         ownThen({false, true}),
         {{}, {}},
         0,
         7},
        {"events before the recording are never cut",
         {keyEv(vk::Control, true), waitEv(5), keyEv('R', true)},
         {false, true},
         {{vk::Control, 'R'}, {}},
         1,
         2},
        {"a first index past the list cuts nothing", hello, helloOwn, {{'H'}, {}}, 99, 6},
    };
    for (const auto& c : cases) {
        clsEvents list;
        for (const auto& e : c.events)
            list.AddEvent(e.type, e.pressed, e.x, e.y, e.data);
        EXPECT_EQ(stopTailStart(list, c.first, c.own, c.stop), c.expectedCut) << c.name;
    }
}

} // namespace
} // namespace tvk::testing
