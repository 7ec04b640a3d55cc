#include "EventFileReader.h"

#include "EventFileLayout.h"
#include "FileIO.h"
#include "FileReader.h"
#include "RuntimeError.h"
#include "TextCodec.h"
#include "clsEvents.h"

#include <algorithm>
#include <new>
#include <tuple>

namespace tvk {

using namespace EventFileLayout;

namespace {

[[noreturn]] void damaged(const std::string& name, const std::string& fault) {
    throw RuntimeError(err::InvalidFileFormat, "Invalid file format: '" + name + "' is damaged: " + fault);
}

// The file shrank while it was read.
[[noreturn]] void cutShort(const std::string& name) {
    damaged(name, "it is cut short (it changed while it was read)");
}

// The result of `work`; a memory shortage on the way becomes the numbered error.
template <class Work> EventFileState memoryGuarded(const std::string& name, Work work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, "Out of memory: loading '" + name + "'");
    }
}

bool allZero(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

bool hasNul(std::string_view bytes) {
    return bytes.find('\0') != std::string_view::npos;
}

// Filter text is UTF-8 exactly when it starts with the byte order mark, Windows-1252 otherwise. Bytes
// after a mark that are no UTF-8 are read as Windows-1252 along with the mark, so nothing is lost.
std::string decodeText(std::string_view raw) {
    if (raw.substr(0, TextCodec::kUtf8Mark.size()) == TextCodec::kUtf8Mark) {
        const std::string_view utf8 = raw.substr(TextCodec::kUtf8Mark.size());
        if (TextCodec::isValidUtf8(utf8)) return std::string(utf8);
    }
    return TextCodec::cp1252ToUtf8(raw);
}

} // namespace

EventFileReader::Layout EventFileReader::layoutOf(const unsigned char* head, uint64_t fileSize,
                                                  const std::string& name) {
    Layout layout;
    layout.capacity = load32(head);
    layout.count = load32(head + 4);
    layout.enableProcessor = load16(head + 8);
    if (layout.capacity < 0) damaged(name, "negative capacity " + std::to_string(layout.capacity));
    if (layout.count < 0) damaged(name, "negative event count " + std::to_string(layout.count));
    const int64_t slotCount = int64_t{layout.capacity} + 1;
    // Said before anything is allocated: no list may hold these slots, however long the file.
    if (slotCount > clsEvents::MaxSlots) {
        damaged(name, "capacity " + std::to_string(layout.capacity) + " means more slots than a list may hold (" +
                          std::to_string(clsEvents::MaxSlots) + ")");
    }
    if (layout.count > slotCount) {
        damaged(name,
                "event count " + std::to_string(layout.count) + " exceeds its " + std::to_string(slotCount) + " slots");
    }
    if (layout.capacity > 0) {
        const uint64_t rest = fileSize - kFixedFieldsSize;
        const uint64_t blockSize = static_cast<uint64_t>(slotCount) * kRecordSize;
        if (blockSize > rest) {
            damaged(name, "it is cut short: capacity " + std::to_string(layout.capacity) + " needs " +
                              std::to_string(blockSize) + " record bytes, only " + std::to_string(rest) +
                              " follow the fixed fields");
        }
        layout.textLength = static_cast<size_t>(rest - blockSize);
        layout.hasBlock = true;
    }
    return layout;
}

EventFileState EventFileReader::stateOf(const Layout& layout, std::string_view rawText, const unsigned char* details) {
    EventFileState state;
    state.capacity = layout.capacity;
    state.count = layout.count;
    state.enableProcessor = layout.enableProcessor;
    state.elementProcessor = decodeText(rawText);
    state.mouseUpDetail = load32(details);
    state.mouseDownDetail = load32(details + 4);
    return state;
}

void EventFileReader::allocateSlots(EventFileState& state) {
    // Safe to allocate: the count is within the list's ceiling, and with capacity above 0 the file
    // holds every record.
    state.slots.resize(static_cast<size_t>(state.capacity) + 1);
}

EventFileState EventFileReader::parse(std::string_view bytes, const std::string& name) {
    return memoryGuarded(name, [&] { return parseUnguarded(bytes, name); });
}

EventFileState EventFileReader::parseUnguarded(std::string_view bytes, const std::string& name) {
    checkFixedFields(bytes.size(), name);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    Layout layout = layoutOf(data, bytes.size(), name);
    if (!layout.hasBlock) std::tie(layout.textLength, layout.hasBlock) = delimitWithoutCapacity(bytes);

    const unsigned char* details = data + kTextOffset + layout.textLength;
    EventFileState state = stateOf(layout, bytes.substr(kTextOffset, layout.textLength), details);
    allocateSlots(state);
    if (layout.hasBlock) {
        const unsigned char* record = details + 8;
        for (EventRecord& slot : state.slots) {
            slot = loadRecord(record);
            record += kRecordSize;
        }
    }
    return state;
}

void EventFileReader::checkFixedFields(uint64_t fileSize, const std::string& name) {
    if (fileSize < kFixedFieldsSize) {
        damaged(name, "it ends inside its fixed fields (" + std::to_string(fileSize) + " bytes, at least " +
                          std::to_string(kFixedFieldsSize) + " needed)");
    }
}

// Length of the filter text of a file with capacity 0, and whether its single slot is stored.
// Without a length field the text ends where the details begin, which depends on whether the file
// ends with one 22-byte record. A list loaded from an 18-byte file keeps one zero slot and saves it,
// so 22 trailing zero bytes are that slot. Otherwise the trailing bytes are the slot only when
// reading them as text would put a NUL into the text (which no filter text holds) while the
// shorter text would not.
std::pair<size_t, bool> EventFileReader::delimitWithoutCapacity(std::string_view bytes) {
    const size_t rest = bytes.size() - kFixedFieldsSize;
    if (rest < kRecordSize) return {rest, false};
    const std::string_view trailing = bytes.substr(bytes.size() - kRecordSize);
    if (allZero(trailing)) return {rest - kRecordSize, true};
    const std::string_view longText = bytes.substr(kTextOffset, rest);
    const std::string_view shortText = bytes.substr(kTextOffset, rest - kRecordSize);
    if (hasNul(longText) && !hasNul(shortText)) return {rest - kRecordSize, true};
    return {rest, false};
}

EventFileState EventFileReader::readFile(const std::string& path) {
    return memoryGuarded(path, [&] { return readFileUnguarded(path); });
}

EventFileState EventFileReader::readFileUnguarded(const std::string& path) {
    FileReader file(path);
    checkFixedFields(file.size(), path);
    unsigned char head[kTextOffset];
    if (file.read(reinterpret_cast<char*>(head), sizeof head) != sizeof head) cutShort(path);
    const Layout layout = layoutOf(head, file.size(), path);
    if (!layout.hasBlock) {
        // Without a record block the file is its text, its details and at most one record: small
        // beside the text it keeps.
        return parseUnguarded(FileIO::readWholeFile(path), path);
    }

    // One pass from the file into the final storage: the text, the details, then the records through
    // a small buffer, so loading needs little more memory than the list it makes.
    std::string rawText(layout.textLength, '\0');
    unsigned char details[kFixedFieldsSize - kTextOffset];
    if (file.read(rawText.data(), rawText.size()) != rawText.size() ||
        file.read(reinterpret_cast<char*>(details), sizeof details) != sizeof details) {
        cutShort(path);
    }
    EventFileState state = stateOf(layout, rawText, details);
    std::string().swap(rawText);
    allocateSlots(state);
    constexpr size_t kSlotsPerPiece = 4096;
    unsigned char piece[kSlotsPerPiece * kRecordSize];
    for (size_t first = 0; first < state.slots.size(); first += kSlotsPerPiece) {
        const size_t n = std::min(kSlotsPerPiece, state.slots.size() - first);
        if (file.read(reinterpret_cast<char*>(piece), n * kRecordSize) != n * kRecordSize) cutShort(path);
        for (size_t i = 0; i < n; ++i)
            state.slots[first + i] = loadRecord(piece + i * kRecordSize);
    }
    return state;
}

} // namespace tvk
