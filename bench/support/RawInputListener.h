#pragma once

#include <cstdint>
#include <vector>

struct _XDisplay;

namespace tvk::bench {

// A second client of the X server of DISPLAY that hears the raw key and button events of every
// master device, so that a figure can compare what the recorder or a replay did with the
// server's own timestamps of the input.
class RawInputListener {
public:
    RawInputListener();
    ~RawInputListener();
    RawInputListener(const RawInputListener&) = delete;
    RawInputListener& operator=(const RawInputListener&) = delete;

    // False without a display or without XInput2 on it.
    bool ok() const { return m_display != nullptr; }
    // Server times of the raw events received since the last call, in order.
    std::vector<uint32_t> takeServerTimes();

private:
    _XDisplay* m_display = nullptr;
    int m_xiOpcode = 0;
};

} // namespace tvk::bench
