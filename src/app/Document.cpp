#include "app/Document.h"

#include "events/clsEvents.h"
#include "recorder/clsRecorder.h"

namespace tvk {

namespace {

// A fast 64-bit mix over the values a saved file keeps (FNV-style, one word at a time).
class Hash {
public:
    void add(uint64_t value) {
        m_state = (m_state ^ value) * 1099511628211ull;
        m_state ^= m_state >> 29;
    }
    void add(const std::string& text) {
        add(text.size());
        for (unsigned char c : text) {
            m_state ^= c;
            m_state *= 1099511628211ull;
        }
    }
    uint64_t value() const { return m_state; }

private:
    uint64_t m_state = 14695981039346656037ull;
};

uint64_t pack(int32_t high, int32_t low) {
    return (uint64_t{static_cast<uint32_t>(high)} << 32) | static_cast<uint32_t>(low);
}

} // namespace

Document::Document(std::shared_ptr<InputBackend> backend)
    : m_recorder(std::make_shared<clsRecorder>(std::move(backend))) {
    replaceEvents(nullptr);
}

Document::~Document() {
    m_recorder->StopProcess();
}

void Document::replaceEvents(std::shared_ptr<clsEvents> events, std::string fileName) {
    m_recorder->StopProcess();
    m_events = events ? std::move(events) : std::make_shared<clsEvents>();
    m_recorder->Events = m_events;
    m_added = m_events->ElementAdded.connect([this](int32_t) { markModified(); });
    m_removed = m_events->ElementRemoved.connect([this](int32_t) { markModified(); });
    setUnchanged(std::move(fileName));
    EventsReplaced.emit();
}

void Document::clear() {
    replaceEvents(std::make_shared<clsEvents>(m_events->tickSource()));
}

void Document::open(const std::string& path) {
    auto loaded = std::make_shared<clsEvents>(m_events->tickSource());
    loaded->LoadFile(path);
    replaceEvents(std::move(loaded), path);
}

void Document::save(const std::string& path) {
    m_events->SaveFile(path);
    setUnchanged(path);
}

bool Document::isModified() const {
    return m_modified || fingerprint() != m_savedFingerprint;
}

void Document::markModified() {
    if (m_modified) return;
    m_modified = true;
    ModifiedChanged.emit();
}

void Document::changeUnmarked(const std::function<void(clsEvents&)>& change) {
    const bool unchanged = !isModified();
    change(*m_events);
    if (unchanged) m_savedFingerprint = fingerprint();
}

void Document::setUnchanged(std::string fileName) {
    m_fileName = std::move(fileName);
    m_savedFingerprint = fingerprint();
    m_modified = false;
    ModifiedChanged.emit();
}

uint64_t Document::fingerprint() const {
    const clsEvents& list = *m_events;
    Hash hash;
    hash.add(pack(list.EventCount, list.EnableProcessor));
    hash.add(pack(list.MouseUpDetail, list.MouseDownDetail));
    hash.add(list.ElementProcessor);
    // Only the slots a file keeps: a count written by a script may name more than exist.
    const auto& slots = list.slots();
    const size_t count = list.EventCount > 0 ? std::min(slots.size(), static_cast<size_t>(list.EventCount)) : 0;
    for (size_t i = 0; i < count; ++i) {
        const EventRecord& r = slots[i];
        hash.add(pack(r.EventTime, r.EventType));
        hash.add(pack(r.EventPosX, r.EventPosY));
        hash.add(pack(r.EventData, r.EventPressed));
    }
    return hash.value();
}

} // namespace tvk
