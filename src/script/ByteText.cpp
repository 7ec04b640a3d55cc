#include "script/ByteText.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"
#include "script/MemoryMeter.h"

#include <vector>

namespace tvk::script::bytetext {

namespace {
void appendUnits(std::string& out, std::u16string_view units) {
    for (char16_t c : units) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
}
} // namespace

std::string bytesOf(std::u16string_view units, int oddByte) {
    // A copy as large as the text itself: it must fit under the memory ceiling too.
    MemoryMeter::require(units.size() * 2 + 1);
    std::string out;
    out.reserve(units.size() * 2 + 1);
    appendUnits(out, units);
    if (oddByte >= 0 && oddByte <= 0xFF) out.push_back(static_cast<char>(oddByte));
    return out;
}

std::string bytesOf(const Value& v) {
    if (v.isNull()) return {};
    if (v.isString()) return bytesOf(v.str(), v.oddByte());
    return bytesOf(toString(v), -1);
}

Value fromBytes(std::string_view bytes) {
    if (bytes.size() > MaxBytes) throw RuntimeError(err::OutOfStringSpace);
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] =
            static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    if (bytes.size() % 2 == 0) return Value::string(std::move(units));
    return Value::oddByteString(std::move(units), static_cast<uint8_t>(bytes.back()));
}

Value concat(const Value& a, const Value& b) {
    if (a.isNull() && b.isNull()) return Value::null();
    std::string bytes = bytesOf(a);
    const std::string tail = bytesOf(b);
    if (bytes.size() + tail.size() > MaxBytes) throw RuntimeError(err::OutOfStringSpace);
    bytes += tail;
    return fromBytes(bytes);
}

bool appendInPlace(Value& target, std::span<const Value> pieces) {
    if (!target.uniqueStringPayload()) return false;
    // The pieces' bytes first: an object's text comes from script code, which may replace the target.
    std::vector<std::string> parts;
    parts.reserve(pieces.size());
    size_t total = 0;
    for (const Value& piece : pieces) {
        parts.push_back(bytesOf(piece));
        total += parts.back().size();
    }
    StringRep* rep = target.uniqueStringPayload();
    if (!rep) return false;
    total += rep->text.size() * 2 + (rep->oddByte >= 0 ? 1 : 0);
    if (total > MaxBytes) throw RuntimeError(err::OutOfStringSpace);
    target.chargeTextLength((total + 1) / 2);
    for (const std::string& bytes : parts) {
        size_t i = 0;
        if (rep->oddByte >= 0 && !bytes.empty()) {
            rep->text.push_back(static_cast<char16_t>(rep->oddByte | (static_cast<uint8_t>(bytes[0]) << 8)));
            rep->oddByte = -1;
            i = 1;
        }
        for (; i + 1 < bytes.size(); i += 2)
            rep->text.push_back(
                static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
        if (i < bytes.size()) rep->oddByte = static_cast<uint8_t>(bytes[i]);
    }
    return true;
}

} // namespace tvk::script::bytetext
