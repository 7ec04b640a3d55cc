#include "EventFileReader.h"

#include "EventFileLayout.h"
#include "FileIO.h"
#include "RuntimeError.h"
#include "TextCodec.h"

#include <algorithm>
#include <new>
#include <tuple>

namespace tvk {

using namespace EventFileLayout;

namespace {

[[noreturn]] void damaged(const std::string& name, const std::string& fault) {
    throw RuntimeError(err::InvalidFileFormat, "Invalid file format: '" + name + "' is damaged: " + fault);
}

bool allZero(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

bool hasNul(std::string_view bytes) {
    return bytes.find('\0') != std::string_view::npos;
}

std::string decodeText(std::string_view raw) {
    if (TextCodec::hasNonAscii(raw) && TextCodec::isValidUtf8(raw)) return std::string(raw);
    return TextCodec::cp1252ToUtf8(raw);
}

} // namespace

EventFileState EventFileReader::parse(std::string_view bytes, const std::string& name) {
    if (bytes.size() < kFixedFieldsSize) {
        damaged(name, "it ends inside its fixed fields (" + std::to_string(bytes.size()) + " bytes, at least " +
                          std::to_string(kFixedFieldsSize) + " needed)");
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    EventFileState state;
    state.capacity = load32(data);
    state.count = load32(data + 4);
    state.enableProcessor = load16(data + 8);

    if (state.capacity < 0) damaged(name, "negative capacity " + std::to_string(state.capacity));
    if (state.count < 0) damaged(name, "negative event count " + std::to_string(state.count));
    const int64_t slotCount = int64_t{state.capacity} + 1;
    if (state.count > slotCount) {
        damaged(name,
                "event count " + std::to_string(state.count) + " exceeds its " + std::to_string(slotCount) + " slots");
    }

    const uint64_t rest = bytes.size() - kFixedFieldsSize;
    size_t textLength = 0;
    bool hasBlock = false;
    if (state.capacity > 0) {
        const uint64_t blockSize = static_cast<uint64_t>(slotCount) * kRecordSize;
        if (blockSize > rest) {
            damaged(name, "it is cut short: capacity " + std::to_string(state.capacity) + " needs " +
                              std::to_string(blockSize) + " record bytes, only " + std::to_string(rest) +
                              " follow the fixed fields");
        }
        textLength = static_cast<size_t>(rest - blockSize);
        hasBlock = true;
    } else {
        std::tie(textLength, hasBlock) = delimitWithoutCapacity(bytes);
    }

    state.elementProcessor = decodeText(bytes.substr(kTextOffset, textLength));
    const unsigned char* details = data + kTextOffset + textLength;
    state.mouseUpDetail = load32(details);
    state.mouseDownDetail = load32(details + 4);

    try {
        // Safe to allocate: with capacity above 0 the file holds every record checked above.
        state.slots.resize(static_cast<size_t>(slotCount));
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, "Out of memory: loading '" + name + "'");
    }
    if (hasBlock) {
        const unsigned char* record = details + 8;
        for (EventRecord& slot : state.slots) {
            slot = loadRecord(record);
            record += kRecordSize;
        }
    }
    return state;
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
    const std::string bytes = FileIO::readWholeFile(path);
    return parse(bytes, path);
}

} // namespace tvk
