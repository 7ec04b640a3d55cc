#pragma once

#include "events/clsEvents.h"
#include "recorder/clsRecorder.h"
#include "recorder/simulated/SimulatedBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

namespace tvk::testing {

// One event as the tests compare it (EventTime left out unless a test checks it).
struct Ev {
    int32_t type;
    bool pressed;
    int32_t x, y, data;
    friend bool operator==(const Ev&, const Ev&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Ev& e) {
        static const char* names[] = {"Wait", "MouseClick", "MouseMove", "KeyBoard", "MouseWheel"};
        os << (e.type >= 0 && e.type <= 4 ? names[e.type] : "?") << "(" << e.data << (e.pressed ? ", down" : "") << " @"
           << e.x << "," << e.y << ")";
        return os;
    }
};

inline Ev waitEv(int32_t ms) {
    return {Wait, false, 0, 0, ms};
}
inline Ev keyEv(int32_t vk, bool down, int32_t x = 0, int32_t y = 0) {
    return {KeyBoard, down, x, y, vk};
}
inline Ev clickEv(int32_t vk, bool down, int32_t x, int32_t y) {
    return {MouseClick, down, x, y, vk};
}
inline Ev wheelEv(int32_t delta, bool horizontal, int32_t x, int32_t y) {
    return {MouseWheel, horizontal, x, y, delta};
}
inline Ev moveEv(int32_t x, int32_t y) {
    return {MouseMove, false, x, y, 0};
}

// A recorder on a simulated backend whose list is stamped by the virtual tick count.
class RecorderFixture : public ::testing::Test {
protected:
    RecorderFixture() {
        backend = std::make_shared<SimulatedBackend>();
        list = makeList();
        recorder = std::make_shared<clsRecorder>(backend);
        recorder->Events = list;
    }

    std::shared_ptr<clsEvents> makeList() {
        std::weak_ptr<SimulatedBackend> weak = backend;
        return std::make_shared<clsEvents>([weak] {
            auto b = weak.lock();
            return b ? b->tickCount() : 0;
        });
    }

    static std::vector<Ev> eventsOf(const clsEvents& l) {
        std::vector<Ev> out;
        for (int32_t i = 0; i < l.EventCount; ++i) {
            out.push_back({l.EventType(i), l.EventPressed(i) != 0, l.EventPosX(i), l.EventPosY(i), l.EventData(i)});
        }
        return out;
    }

    // Stops the recording from inside the yield that follows virtual time atMs.
    void stopAt(int64_t atMs) {
        std::weak_ptr<clsRecorder> weak = recorder;
        backend->scheduleAction(atMs, [weak] {
            if (auto r = weak.lock()) r->StopProcess();
        });
    }

    void add(int32_t type, bool pressed, int32_t x, int32_t y, int32_t data) {
        list->AddEvent(type, pressed, x, y, data);
    }

    using Kind = SimulatedBackend::Injection::Kind;
    std::vector<SimulatedBackend::Injection> injectionsOf(Kind kind) const {
        std::vector<SimulatedBackend::Injection> out;
        for (const auto& i : backend->injections()) {
            if (i.kind == kind) out.push_back(i);
        }
        return out;
    }
    std::vector<CursorPoint> cursorMoves() const {
        std::vector<CursorPoint> out;
        for (const auto& i : injectionsOf(Kind::Cursor))
            out.push_back(i.pos);
        return out;
    }
    double nowMs() const { return std::chrono::duration<double, std::milli>(backend->monotonicNow()).count(); }

    std::shared_ptr<SimulatedBackend> backend;
    std::shared_ptr<clsEvents> list;
    std::shared_ptr<clsRecorder> recorder;
};

} // namespace tvk::testing
