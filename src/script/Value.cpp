#include "script/Value.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"
#include "script/MemoryMeter.h"
#include "script/ScriptObject.h"

namespace tvk::script {

namespace {
// Counts a payload of `bytes` against the memory meter (error 7 beyond the ceiling), in whole
// 16-byte units as Heap::charged keeps them.
uint32_t chargeUnits(size_t bytes) {
    size_t units = (bytes + 15) / 16;
    if (units > UINT32_MAX) throw RuntimeError(err::OutOfMemory);
    MemoryMeter::charge(units * 16);
    return static_cast<uint32_t>(units);
}

size_t arrayBytes(size_t elements) {
    return sizeof(ArrayRep) + elements * sizeof(Value);
}
} // namespace

// A payload freed while another is being freed waits in a list until that one is done: a chain of
// arrays, dictionaries or objects holding one another, however long, is freed one link at a time
// instead of by recursion as deep as the chain.
void Value::destroy(Heap* p) noexcept {
    thread_local std::vector<Heap*> pending;
    thread_local bool freeing = false;
    if (freeing) {
        try {
            pending.push_back(p);
            return;
        } catch (const std::bad_alloc&) {
            // No room to defer: free it at once (recursing, as without the list).
        }
        MemoryMeter::release(size_t{p->charged} * 16);
        delete p;
        return;
    }
    freeing = true;
    MemoryMeter::release(size_t{p->charged} * 16);
    delete p;
    while (!pending.empty()) {
        Heap* next = pending.back();
        pending.pop_back();
        MemoryMeter::release(size_t{next->charged} * 16);
        delete next;
    }
    freeing = false;
}

Value Value::string(std::u16string s) {
    uint32_t charged = chargeUnits(sizeof(StringRep) + s.size() * sizeof(char16_t));
    auto* rep = new StringRep(std::move(s));
    rep->charged = charged;
    return Value(VarType::String, rep);
}

Value Value::oddByteString(std::u16string units, uint8_t lastByte) {
    Value v = string(std::move(units));
    static_cast<StringRep*>(v.ptr())->oddByte = lastByte;
    return v;
}

Value Value::string(std::string_view utf8) {
    return string(utf8ToUtf16(utf8));
}

Value Value::object(std::shared_ptr<ScriptObject> o) {
    if (!o) return nothing();
    uint32_t charged = chargeUnits(sizeof(ObjectRep));
    auto* rep = new ObjectRep(std::move(o));
    rep->charged = charged;
    return Value(VarType::Object, rep);
}

Value Value::array(const std::vector<int32_t>& counts) {
    size_t total = counts.empty() ? 0 : 1;
    for (int32_t c : counts)
        total *= static_cast<size_t>(c < 0 ? 0 : c);
    uint32_t charged = chargeUnits(arrayBytes(total));
    auto* rep = new ArrayRep;
    rep->charged = charged;
    Value v(VarType::Array, rep);
    rep->counts = counts;
    rep->data.resize(total);
    return v;
}

Value Value::arrayOf(std::vector<Value> items) {
    uint32_t charged = chargeUnits(arrayBytes(items.size()));
    auto* rep = new ArrayRep;
    rep->charged = charged;
    Value v(VarType::Array, rep);
    rep->counts = {static_cast<int32_t>(items.size())};
    rep->data = std::move(items);
    return v;
}

bool Value::isNumeric() const {
    switch (type()) {
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Boolean:
    case VarType::Date:
        return true;
    default:
        return false;
    }
}

std::shared_ptr<ScriptObject> Value::objShared() const {
    if (type() != VarType::Object || !hasHeap()) return nullptr;
    return static_cast<ObjectRep*>(ptr())->object;
}

ArrayRep& Value::mutableArray() {
    auto* rep = static_cast<ArrayRep*>(ptr());
    if (rep->refs > 1) {
        uint32_t charged = chargeUnits(arrayBytes(rep->data.size()));
        auto* copy = new ArrayRep;
        copy->charged = charged;
        copy->counts = rep->counts;
        copy->data = rep->data;
        --rep->refs;
        m_bits = reinterpret_cast<uintptr_t>(static_cast<Heap*>(copy));
        return *copy;
    }
    return *rep;
}

void Value::chargeTextLength(size_t length) {
    Heap* rep = ptr();
    size_t units = (sizeof(StringRep) + length * sizeof(char16_t) + 15) / 16;
    if (units <= rep->charged) return;
    if (units > UINT32_MAX) throw RuntimeError(err::OutOfMemory);
    MemoryMeter::charge((units - rep->charged) * 16);
    rep->charged = static_cast<uint32_t>(units);
}

std::string typeName(const Value& v) {
    switch (v.type()) {
    case VarType::Empty:
        return "Empty";
    case VarType::Null:
        return "Null";
    case VarType::Integer:
        return "Integer";
    case VarType::Long:
        return "Long";
    case VarType::Single:
        return "Single";
    case VarType::Double:
        return "Double";
    case VarType::Currency:
        return "Currency";
    case VarType::Date:
        return "Date";
    case VarType::String:
        return "String";
    case VarType::Object:
        return v.obj() ? v.obj()->typeName() : "Nothing";
    case VarType::Error:
        return "Error";
    case VarType::Boolean:
        return "Boolean";
    case VarType::Byte:
        return "Byte";
    case VarType::Array:
        return "Variant()";
    default:
        return "Unknown";
    }
}

} // namespace tvk::script
