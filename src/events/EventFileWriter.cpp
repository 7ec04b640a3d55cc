#include "EventFileWriter.h"

#include "AtomicFile.h"
#include "EventFileLayout.h"
#include "EventFileReader.h"
#include "RuntimeError.h"
#include "TextCodec.h"
#include "clsEvents.h"

#include <algorithm>
#include <new>

namespace tvk {

using namespace EventFileLayout;

namespace {

// Windows-1252 keeps files byte-identical with those made on Windows. Text the code page cannot hold
// is written as UTF-8 behind the byte order mark rather than lost; so is the rare text whose
// Windows-1252 bytes would begin with the mark's bytes.
std::string encodeText(const std::string& text) {
    if (auto cp1252 = TextCodec::utf8ToCp1252(text)) {
        if (cp1252->compare(0, TextCodec::kUtf8Mark.size(), TextCodec::kUtf8Mark) != 0) return *std::move(cp1252);
    }
    return std::string(TextCodec::kUtf8Mark) + text;
}

} // namespace

std::string EventFileWriter::serialize(const clsEvents& events) {
    std::string bytes;
    try {
        writeTo(events, [&bytes](std::string_view piece) { bytes += piece; });
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, "Out of memory: saving the event list");
    }
    return bytes;
}

void EventFileWriter::writeTo(const clsEvents& events, const std::function<void(std::string_view)>& sink) {
    const int32_t capacity = events.EventCapacity();
    const int64_t slotCount = int64_t{capacity} + 1; // a file without records still loads as one slot
    if (events.EventCount < 0 || events.EventCount > slotCount) {
        throw RuntimeError(err::SubscriptOutOfRange, "Subscript out of range: EventCount " +
                                                         std::to_string(events.EventCount) + " does not fit the " +
                                                         std::to_string(slotCount) + " slots of the list");
    }
    const std::string text = encodeText(events.ElementProcessor);
    if (capacity == 0) {
        // Without a record block to size it, the reader tells the filter text from the one slot by their
        // content. A file it would split elsewhere (a text holding NUL, say) would load with another text
        // and details, so it is refused before anything is written. Such files hold at most one slot.
        std::string bytes;
        writeParts(events, text, [&bytes](std::string_view piece) { bytes += piece; });
        if (EventFileReader::delimitWithoutCapacity(bytes).first != text.size()) {
            throw RuntimeError(err::InvalidCall, "Invalid procedure call or argument: a file of a list without "
                                                 "events could not tell its filter text from its slot (a filter "
                                                 "text holding NUL)");
        }
        sink(bytes);
        return;
    }
    writeParts(events, text, sink);
}

void EventFileWriter::writeParts(const clsEvents& events, const std::string& text,
                                 const std::function<void(std::string_view)>& sink) {
    const int32_t capacity = events.EventCapacity();
    unsigned char fixed[kFixedFieldsSize];
    store32(fixed, capacity);
    store32(fixed + 4, events.EventCount);
    store16(fixed + 8, events.EnableProcessor);
    store32(fixed + 10, events.MouseUpDetail);
    store32(fixed + 14, events.MouseDownDetail);
    const auto view = [](const unsigned char* p, size_t n) {
        return std::string_view(reinterpret_cast<const char*>(p), n);
    };
    sink(view(fixed, kTextOffset));
    sink(text);
    sink(view(fixed + kTextOffset, kFixedFieldsSize - kTextOffset));

    // Records go out through a small buffer that stays in cache, a few thousand slots per piece.
    constexpr size_t kSlotsPerPiece = 8192;
    unsigned char piece[kSlotsPerPiece * kRecordSize];
    const auto& slots = events.slots();
    for (size_t first = 0; first < slots.size(); first += kSlotsPerPiece) {
        const size_t n = std::min(kSlotsPerPiece, slots.size() - first);
        for (size_t i = 0; i < n; ++i)
            storeRecord(piece + i * kRecordSize, slots[first + i]);
        sink(view(piece, n * kRecordSize));
    }
}

void EventFileWriter::writeFile(const std::string& path, const clsEvents& events) {
    AtomicFile file(path);
    writeTo(events, [&file](std::string_view piece) { file.write(piece); });
    file.commit();
}

} // namespace tvk
