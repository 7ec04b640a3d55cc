// Lost input: 200 taps of keys and buttons, press and release with no delay between them,
// injected by another client at irregular moments while the X11 backend records at 10 ms.
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/x11/X11Backend.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

int main() {
    std::string why;
    auto backend = tvk::createX11Backend({}, &why);
    Display* injector = XOpenDisplay(nullptr);
    if (!backend || !injector) {
        std::fprintf(stderr, "bench_recorder_taps: no X display (%s)\n", why.c_str());
        return 1;
    }
    struct Tap {
        bool button;
        unsigned code; // key code or button number
        int32_t vk;
    };
    std::vector<Tap> kinds;
    for (KeySym sym = XK_a; sym <= XK_z; ++sym) {
        kinds.push_back({false, XKeysymToKeycode(injector, sym), int32_t('A' + (sym - XK_a))});
    }
    for (auto [button, code] : {std::pair{1u, tvk::vk::LButton},
                                {3u, tvk::vk::RButton},
                                {2u, tvk::vk::MButton},
                                {8u, tvk::vk::XButton1},
                                {9u, tvk::vk::XButton2}}) {
        kinds.push_back({true, button, code});
    }

    constexpr int kTaps = 200;
    std::vector<int> expected(256, 0);
    std::atomic<bool> done{false};
    auto recorder = std::make_shared<tvk::clsRecorder>(backend);
    auto list = std::make_shared<tvk::clsEvents>();
    recorder->Events = list;

    std::thread inject([&] {
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> pause(1000, 25000); // microseconds, unrelated to the polls
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int i = 0; i < kTaps; ++i) {
            const Tap& tap = kinds[static_cast<size_t>(i) % kinds.size()];
            if (tap.button) {
                XTestFakeButtonEvent(injector, tap.code, True, CurrentTime);
                XTestFakeButtonEvent(injector, tap.code, False, CurrentTime);
            } else {
                XTestFakeKeyEvent(injector, tap.code, True, CurrentTime);
                XTestFakeKeyEvent(injector, tap.code, False, CurrentTime);
            }
            XSync(injector, False);
            ++expected[static_cast<size_t>(tap.vk)];
            std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        done = true;
    });
    backend->setYield([&] {
        if (done) recorder->StopProcess();
    });
    recorder->InitiateRecording(10);
    inject.join();

    std::vector<int> presses(256, 0), releases(256, 0);
    for (int32_t i = 0; i < list->EventCount; ++i) {
        const int32_t type = list->EventType(i);
        const int32_t code = list->EventData(i);
        if ((type != tvk::KeyBoard && type != tvk::MouseClick) || code < 0 || code > 255) continue;
        (list->EventPressed(i) ? presses : releases)[static_cast<size_t>(code)]++;
    }
    int recorded = 0;
    for (size_t code = 0; code < 256; ++code) {
        // A tap counts when both its press and its release were recorded.
        recorded += std::min({expected[code], presses[code], releases[code]});
    }
    std::printf("taps_recorded_percent: %.1f %%\n", 100.0 * recorded / kTaps);
    XCloseDisplay(injector);
    return 0;
}
