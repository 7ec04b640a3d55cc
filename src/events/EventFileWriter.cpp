#include "EventFileWriter.h"

#include "EventFileLayout.h"
#include "FileIO.h"
#include "RuntimeError.h"
#include "TextCodec.h"
#include "clsEvents.h"

#include <new>

namespace tvk {

using namespace EventFileLayout;

namespace {

// Windows-1252 keeps files byte-identical with those made on Windows. Text the code page cannot hold
// is written as UTF-8 rather than lost; so is the rare text whose Windows-1252 bytes happen to form
// valid UTF-8, because a reader would decode those bytes as UTF-8 and get a different text.
std::string encodeText(const std::string& text) {
    if (auto cp1252 = TextCodec::utf8ToCp1252(text)) {
        if (!(TextCodec::hasNonAscii(*cp1252) && TextCodec::isValidUtf8(*cp1252))) return *std::move(cp1252);
    }
    return text;
}

} // namespace

std::string EventFileWriter::serialize(const clsEvents& events) {
    const int32_t capacity = events.EventCapacity();
    const auto& slots = events.slots();
    const int64_t slotCount = int64_t{capacity} + 1; // a file without records still loads as one slot
    if (events.EventCount < 0 || events.EventCount > slotCount) {
        throw RuntimeError(err::SubscriptOutOfRange, "Subscript out of range: EventCount " +
                                                         std::to_string(events.EventCount) + " does not fit the " +
                                                         std::to_string(slotCount) + " slots of the list");
    }
    const std::string text = encodeText(events.ElementProcessor);

    std::string bytes;
    try {
        bytes.resize(kFixedFieldsSize + text.size() + slots.size() * kRecordSize);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, "Out of memory: saving the event list");
    }
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    store32(out, capacity);
    store32(out + 4, events.EventCount);
    store16(out + 8, events.EnableProcessor);
    std::copy(text.begin(), text.end(), bytes.begin() + kTextOffset);
    out += kTextOffset + text.size();
    store32(out, events.MouseUpDetail);
    store32(out + 4, events.MouseDownDetail);
    out += 8;
    for (const EventRecord& slot : slots) {
        storeRecord(out, slot);
        out += kRecordSize;
    }
    return bytes;
}

void EventFileWriter::writeFile(const std::string& path, const clsEvents& events) {
    FileIO::replaceFileAtomically(path, serialize(events));
}

} // namespace tvk
