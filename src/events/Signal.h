#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tvk {

// A synchronous notification with any number of subscribers. Handlers run inside emit(),
// in subscription order; a handler may subscribe, unsubscribe (itself or others) or destroy
// the object that owns the signal while it runs: emit() works on a snapshot and holds the
// slots alive, and a slot removed during an emission is not called afterwards.
template <typename... Args> class Signal {
    struct Slot {
        std::function<void(Args...)> fn;
        bool connected = true;
    };

public:
    // Handle to one subscription. disconnect() is idempotent and safe after the signal is gone.
    class Connection {
    public:
        Connection() = default;
        void disconnect() {
            if (auto s = m_slot.lock()) s->connected = false;
            m_slot.reset();
        }
        bool connected() const {
            auto s = m_slot.lock();
            return s && s->connected;
        }

    private:
        friend class Signal;
        explicit Connection(std::weak_ptr<Slot> slot) : m_slot(std::move(slot)) {}
        std::weak_ptr<Slot> m_slot;
    };

    // Disconnects on destruction; movable, not copyable.
    class ScopedConnection {
    public:
        ScopedConnection() = default;
        ScopedConnection(Connection c) : m_c(std::move(c)) {}
        ScopedConnection(ScopedConnection&& o) noexcept : m_c(std::exchange(o.m_c, Connection())) {}
        ScopedConnection& operator=(ScopedConnection&& o) noexcept {
            if (this != &o) {
                m_c.disconnect();
                m_c = std::exchange(o.m_c, Connection());
            }
            return *this;
        }
        ~ScopedConnection() { m_c.disconnect(); }
        void disconnect() { m_c.disconnect(); }

    private:
        Connection m_c;
    };

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;
    ~Signal() {
        for (auto& s : *m_slots)
            s->connected = false;
    }

    Connection connect(std::function<void(Args...)> fn) {
        auto slot = std::make_shared<Slot>(Slot{std::move(fn), true});
        prune();
        m_slots->push_back(slot);
        return Connection(slot);
    }

    // Calls every connected handler. Safe if a handler destroys this signal: the slot list is
    // shared with the emission, not owned by the stack frame of the signal alone.
    void emit(Args... args) const {
        auto slots = m_slots; // keeps the list alive even if *this is destroyed by a handler
        const auto snapshot = *slots;
        for (const auto& s : snapshot) {
            if (s->connected) s->fn(args...);
        }
    }

    bool empty() const {
        return std::none_of(m_slots->begin(), m_slots->end(), [](const auto& s) { return s->connected; });
    }

private:
    void prune() {
        std::erase_if(*m_slots, [](const auto& s) { return !s->connected; });
    }

    std::shared_ptr<std::vector<std::shared_ptr<Slot>>> m_slots =
        std::make_shared<std::vector<std::shared_ptr<Slot>>>();
};

} // namespace tvk
