// Replay timing on the real clock: a list whose waits add up to 10 s, replayed through the X11
// backend; the figure is the actual duration over the recorded one, at 1x and at 4x.
#include "recorder/clsRecorder.h"
#include "recorder/x11/X11Backend.h"

#include <chrono>
#include <cstdio>

int main() {
    std::string why;
    auto backend = tvk::createX11Backend({}, &why);
    if (!backend) {
        std::fprintf(stderr, "bench_recorder_replay: no X display (%s)\n", why.c_str());
        return 1;
    }
    // Shaped like a recording: moves sampled every 50 ms, then typing with 100 ms between changes.
    auto list = std::make_shared<tvk::clsEvents>();
    int64_t waited = 0;
    for (int i = 0; i < 100; ++i) {
        list->AddEvent(tvk::MouseMove, false, 100 + 5 * i, 200 + 3 * i, 0);
        list->AddEvent(tvk::Wait, false, 0, 0, 50);
        waited += 50;
    }
    for (int i = 0; i < 25; ++i) {
        const int key = 'A' + i;
        list->AddEvent(tvk::KeyBoard, true, 0, 0, key);
        list->AddEvent(tvk::Wait, false, 0, 0, 100);
        list->AddEvent(tvk::KeyBoard, false, 0, 0, key);
        list->AddEvent(tvk::Wait, false, 0, 0, 100);
        waited += 200;
    }
    auto recorder = std::make_shared<tvk::clsRecorder>(backend);
    recorder->Events = list;
    const auto start = std::chrono::steady_clock::now();
    recorder->ReplayEvents(0, -1);
    const double actual = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    recorder->releaseHeldInput();
    std::printf("replay_waits_ms: %lld ms\n", static_cast<long long>(waited));
    std::printf("replay_time_ratio: %.5f x\n", actual / double(waited));

    // The same list at four times the speed, measured against a quarter of its waits.
    recorder->setSpeed(4);
    const auto fastStart = std::chrono::steady_clock::now();
    recorder->ReplayEvents(0, -1);
    const double fast = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - fastStart).count();
    recorder->releaseHeldInput();
    std::printf("replay_time_ratio_x4: %.5f x\n", fast / (double(waited) / 4));
    return 0;
}
