#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tvk::script {

class ScriptObject;

// Variant subtype codes, as VarType reports them. An array reports VarType Array | Variant (8204).
enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,
    Byte = 17,
    Array = 8192,
};

// Shared heap payload of strings, arrays and objects: counted without atomics (one thread).
struct Heap {
    uint32_t refs = 1;
    uint32_t charged = 0; // 16-byte units counted against the memory meter, given back when freed
    virtual ~Heap() = default;
};

// Immutable UTF-16 string payload; Len/Mid/AscW work on its code units. The byte functions (LeftB,
// ChrB, ...) can make a text of an odd number of bytes: its last byte, which no whole unit holds,
// is kept apart in `oddByte` (-1 for the usual text of whole units).
struct StringRep final : Heap {
    std::u16string text;
    int16_t oddByte = -1;
    explicit StringRep(std::u16string s) : text(std::move(s)) {}
};

// Array payload (defined after Value, which it holds).
struct ArrayRep;

// Holds a host or script object; Nothing is an Object value without a box.
struct ObjectRep final : Heap {
    std::shared_ptr<ScriptObject> object;
    explicit ObjectRep(std::shared_ptr<ScriptObject> o) : object(std::move(o)) {}
};

// The variant: 16 bytes, numbers held inline, strings/arrays/objects shared by reference count.
// Arrays have value semantics: writers copy a shared payload first (see mutableArray()).
class Value {
public:
    Value() noexcept : m_head(0), m_bits(0) {}
    Value(const Value& o) noexcept : m_head(o.m_head & ~FixedBit), m_bits(o.m_bits) {
        if (hasHeap()) ++ptr()->refs;
    }
    // A moved-from value is Empty; a variable keeps its fixed-array mark.
    Value(Value&& o) noexcept : m_head(o.m_head), m_bits(o.m_bits) {
        o.m_head &= FixedBit;
        o.m_bits = 0;
    }
    // Assignments install the new value before releasing the old one: dropping the old payload may
    // run a destructor (Class_Terminate) that reads this very variable.
    Value& operator=(const Value& o) noexcept {
        if (o.hasHeap()) ++o.ptr()->refs;
        Heap* old = hasHeap() ? ptr() : nullptr;
        m_head = o.m_head & ~FixedBit;
        m_bits = o.m_bits;
        if (old) releaseHeap(old);
        return *this;
    }
    Value& operator=(Value&& o) noexcept {
        if (this == &o) return *this;
        Heap* old = hasHeap() ? ptr() : nullptr;
        m_head = o.m_head;
        m_bits = o.m_bits;
        o.m_head &= FixedBit;
        o.m_bits = 0;
        if (old) releaseHeap(old);
        return *this;
    }
    ~Value() {
        if (hasHeap()) releaseHeap(ptr());
    }
    // Makes this Empty (the fixed-array mark included), releasing what it held.
    void clear() noexcept {
        Heap* old = hasHeap() ? ptr() : nullptr;
        m_head = 0;
        m_bits = 0;
        if (old) releaseHeap(old);
    }

    // ---- Construction by subtype ----
    static Value null() { return Value(VarType::Null, int64_t{0}); }
    static Value boolean(bool b) { return Value(VarType::Boolean, int64_t{b ? -1 : 0}); }
    static Value byte(uint8_t v) { return Value(VarType::Byte, int64_t{v}); }
    static Value integer(int16_t v) { return Value(VarType::Integer, int64_t{v}); }
    static Value lng(int32_t v) { return Value(VarType::Long, int64_t{v}); }
    static Value single(float v) { return Value(VarType::Single, double{v}); }
    static Value dbl(double v) { return Value(VarType::Double, v); }
    // Currency as its scaled integer: 1.5 is 15000 (four decimals).
    static Value currencyScaled(int64_t v) { return Value(VarType::Currency, v); }
    static Value date(double oleDate) { return Value(VarType::Date, oleDate); }
    static Value string(std::u16string s);
    static Value string(std::string_view utf8);
    // Text of an odd number of bytes: the whole units, then one byte (0..255).
    static Value oddByteString(std::u16string units, uint8_t lastByte);
    static Value object(std::shared_ptr<ScriptObject> o); // nullptr gives Nothing
    static Value nothing() { return Value(VarType::Object, int64_t{0}); }
    // A new array with the given per-dimension element counts (UBound + 1 each), all Empty.
    static Value array(const std::vector<int32_t>& counts);
    static Value arrayOf(std::vector<Value> items); // one-dimensional, as Array(...) makes

    // ---- Inspection ----
    VarType type() const { return static_cast<VarType>(m_head & TypeMask); }
    // VarType() result: the subtype code, 8204 for arrays.
    int varType() const { return type() == VarType::Array ? 8204 : static_cast<int>(type()); }
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isNull() const { return type() == VarType::Null; }
    bool isString() const { return type() == VarType::String; }
    bool isArray() const { return type() == VarType::Array; }
    bool isObject() const { return type() == VarType::Object; } // Nothing included
    bool isNothing() const { return type() == VarType::Object && !hasHeap(); }
    // Byte, Integer, Long, Single, Double, Currency, Boolean or Date held inline.
    bool isNumeric() const;

    // Raw payloads; valid only for the matching subtype (checked by the callers' switch).
    int64_t rawInt() const { return static_cast<int64_t>(m_bits); }    // Boolean/Byte/Integer/Long, Currency scaled
    double rawDouble() const { return std::bit_cast<double>(m_bits); } // Single/Double/Date
    const std::u16string& str() const { return static_cast<StringRep*>(ptr())->text; }
    ArrayRep& arr() const;
    // The last byte of a string of an odd number of bytes, which str() leaves out; -1 for any other value.
    int oddByte() const { return isString() && hasHeap() ? static_cast<StringRep*>(ptr())->oddByte : -1; }
    // The object held, or nullptr for Nothing.
    ScriptObject* obj() const { return hasHeap() ? static_cast<ObjectRep*>(ptr())->object.get() : nullptr; }
    std::shared_ptr<ScriptObject> objShared() const;
    // The string's text when this value is its only holder (for appending in place), else nullptr;
    // nullptr too for a text of an odd number of bytes, which only byte-wise joining extends.
    std::u16string* uniqueString() {
        if (!isString() || !hasHeap() || ptr()->refs != 1) return nullptr;
        auto* rep = static_cast<StringRep*>(ptr());
        return rep->oddByte < 0 ? &rep->text : nullptr;
    }
    // The string payload when this value is its only holder, whatever its byte count (for appending
    // byte-wise in place), else nullptr.
    StringRep* uniqueStringPayload() {
        return isString() && hasHeap() && ptr()->refs == 1 ? static_cast<StringRep*>(ptr()) : nullptr;
    }
    // The array payload, copied first if shared, so the caller can write elements.
    ArrayRep& mutableArray();
    // Counts a string this value alone holds as `length` code units long against the memory meter,
    // before it grows in place (error 7 beyond the ceiling, the text unchanged).
    void chargeTextLength(size_t length);

    // A Dim'd fixed-size array keeps this mark in its variable; copies do not inherit it.
    bool fixedArray() const { return (m_head & FixedBit) != 0; }
    void setFixedArray(bool f) { m_head = f ? m_head | FixedBit : m_head & ~FixedBit; }

    // Identity of the shared payload (strings/arrays/objects), for `Is` and caches.
    const Heap* heap() const { return hasHeap() ? ptr() : nullptr; }

private:
    friend struct ValueAccess;
    Value(VarType t, int64_t i) : m_head(static_cast<uint32_t>(t)), m_bits(static_cast<uint64_t>(i)) {}
    Value(VarType t, double d) : m_head(static_cast<uint32_t>(t)), m_bits(std::bit_cast<uint64_t>(d)) {}
    Value(VarType t, Heap* p)
        : m_head(static_cast<uint32_t>(t) | (p ? HeapBit : 0)), m_bits(reinterpret_cast<uintptr_t>(p)) {}
    bool hasHeap() const { return (m_head & HeapBit) != 0; }
    Heap* ptr() const { return reinterpret_cast<Heap*>(static_cast<uintptr_t>(m_bits)); }
    static void releaseHeap(Heap* p) noexcept {
        if (--p->refs == 0) destroy(p);
    }
    // Frees a payload without recursing through the payloads it holds (see Value.cpp).
    static void destroy(Heap* p) noexcept;

    // The subtype, the fixed-array mark and whether m_bits holds a Heap pointer, in one word that is
    // always written whole (a read after piecewise writes would stall the processor).
    static constexpr uint32_t TypeMask = 0xFFFF, FixedBit = 1u << 16, HeapBit = 1u << 24;
    uint32_t m_head;
    // One payload word: integer, the bits of a double, or a Heap pointer (HeapBit set), chosen by the type.
    uint64_t m_bits;
};

// Arrays: lower bound always 0 in this language, so each dimension keeps only its element count.
struct ArrayRep final : Heap {
    std::vector<int32_t> counts; // elements per dimension (UBound + 1), first dimension first
    std::vector<Value> data;     // row-major with the last dimension varying fastest
};

inline ArrayRep& Value::arr() const {
    return *static_cast<ArrayRep*>(ptr());
}

// TypeName() result of a value: "Integer", "String", "Variant()", the object's class name, ...
std::string typeName(const Value& v);

} // namespace tvk::script
