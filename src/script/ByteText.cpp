#include "script/ByteText.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"
#include "script/MemoryMeter.h"

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

} // namespace tvk::script::bytetext
