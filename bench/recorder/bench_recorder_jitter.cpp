// Replay jitter as another client sees it: 500 key and button changes replayed at 1x through the
// X11 backend; a second client reads the server's timestamps of the raw events they cause, and
// the figure is the 99th percentile of |interval seen - interval recorded|.
#include "RawInputListener.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/x11/X11Backend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

int main() {
    std::string why;
    auto backend = tvk::createX11Backend({}, &why);
    tvk::bench::RawInputListener listener;
    if (!backend || !listener.ok()) {
        std::fprintf(stderr, "bench_recorder_jitter: no X display (%s)\n", why.c_str());
        return 1;
    }

    // Key A and the left button, down and up in turn, 10 to 50 ms apart.
    constexpr int kChanges = 500;
    auto list = std::make_shared<tvk::clsEvents>();
    std::vector<int32_t> waits;
    std::mt19937 random(777);
    std::uniform_int_distribution<int32_t> pause(10, 50);
    for (int i = 0; i < kChanges; ++i) {
        const bool press = i % 2 == 0;
        if ((i / 2) % 2 == 0) {
            list->AddEvent(tvk::KeyBoard, press, 0, 0, 'A');
        } else {
            list->AddEvent(tvk::MouseClick, press, 300, 300, tvk::vk::LButton);
        }
        waits.push_back(pause(random));
        list->AddEvent(tvk::Wait, false, 0, 0, waits.back());
    }
    auto recorder = std::make_shared<tvk::clsRecorder>(backend);
    recorder->Events = list;
    recorder->ReplayEvents(0, -1);
    recorder->releaseHeldInput();

    const std::vector<uint32_t> seen = listener.takeServerTimes();
    if (seen.size() != kChanges) {
        std::fprintf(stderr, "bench_recorder_jitter: %zu of %d changes seen\n", seen.size(), kChanges);
        return 1;
    }
    std::vector<double> errors;
    for (size_t i = 1; i < seen.size(); ++i) {
        const auto interval = static_cast<int32_t>(seen[i] - seen[i - 1]);
        errors.push_back(std::abs(static_cast<double>(interval - waits[i - 1])));
    }
    std::sort(errors.begin(), errors.end());
    const size_t p99 = std::min(errors.size() - 1, static_cast<size_t>(std::ceil(0.99 * errors.size())) - 1);
    std::printf("replay_jitter_median_ms: %.1f ms\n", errors[errors.size() / 2]);
    std::printf("replay_jitter_p99_ms: %.1f ms\n", errors[p99]);
    return 0;
}
