// Cost of polling every key and the cursor through the X11 backend, side by side with a plain
// XQueryKeymap + XIQueryPointer poll, and the recorder's CPU share while recording idle input.
#include "recorder/clsRecorder.h"
#include "recorder/x11/X11Backend.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Microseconds per plain poll: the whole key map and the master pointer, both from the server.
double plainPollMicros(Display* display, int polls) {
    int pointer = 0, count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllMasterDevices, &count);
    for (int i = 0; i < count; ++i) {
        if (devices[i].use == XIMasterPointer) pointer = devices[i].deviceid;
    }
    XIFreeDeviceInfo(devices);
    const double start = wallSeconds();
    for (int i = 0; i < polls; ++i) {
        char keys[32];
        XQueryKeymap(display, keys);
        Window root, child;
        double rx, ry, wx, wy;
        XIButtonState buttons{};
        XIModifierState mods;
        XIGroupState group;
        XIQueryPointer(display, pointer, DefaultRootWindow(display), &root, &child, &rx, &ry, &wx, &wy, &buttons, &mods,
                       &group);
        if (buttons.mask) XFree(buttons.mask);
    }
    return (wallSeconds() - start) * 1e6 / polls;
}

} // namespace

int main() {
    std::string why;
    auto backend = tvk::createX11Backend({}, &why);
    Display* display = XOpenDisplay(nullptr);
    if (!backend || !display) {
        std::fprintf(stderr, "bench_recorder_poll: no X display (%s)\n", why.c_str());
        return 1;
    }
    constexpr int kPolls = 20000;
    tvk::KeyStateTable states{};
    const double start = wallSeconds();
    for (int i = 0; i < kPolls; ++i) {
        backend->readKeyStates(states);
        backend->cursorPos();
    }
    const double ourMicros = (wallSeconds() - start) * 1e6 / kPolls;
    const double plainMicros = plainPollMicros(display, kPolls);
    std::printf("poll_us: %.2f us\n", ourMicros);
    std::printf("plain_poll_us: %.2f us\n", plainMicros);
    std::printf("poll_speedup: %.1f x\n", plainMicros / ourMicros);

    // Recording idle input at 10 ms for 10 s.
    auto recorder = std::make_shared<tvk::clsRecorder>(backend);
    recorder->Events = std::make_shared<tvk::clsEvents>();
    const double wallStart = wallSeconds();
    const double cpuStart = cpuSeconds();
    backend->setYield([&] {
        if (wallSeconds() - wallStart >= 10.0) recorder->StopProcess();
    });
    recorder->InitiateRecording(10);
    const double share = (cpuSeconds() - cpuStart) / (wallSeconds() - wallStart) * 100.0;
    std::printf("poll_cpu_percent: %.3f %%\n", share);

    // The same 10 ms sleeps with nothing polled: the floor the recording's share stands on.
    const double idleWall = wallSeconds();
    const double idleCpu = cpuSeconds();
    while (wallSeconds() - idleWall < 5.0)
        backend->sleep(10);
    std::printf("idle_sleep_cpu_percent: %.3f %%\n", (cpuSeconds() - idleCpu) / (wallSeconds() - idleWall) * 100.0);
    XCloseDisplay(display);
    return 0;
}
