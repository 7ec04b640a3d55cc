#include "script/lib/DictionaryObject.h"

#include "events/RuntimeError.h"
#include "script/MemoryMeter.h"
#include "script/lib/LibArgs.h"
#include "script/lib/TextFold.h"

#include <bit>
#include <cstring>

namespace tvk::script::lib {
namespace {

enum Member { Add = 1, Exists, Item, Key, Remove, RemoveAll, Count, Keys, Items, CompareMode };
const MemberNames& names() {
    static const MemberNames n{"Add",       "Exists", "Item", "Key",   "Remove",
                               "RemoveAll", "Count",  "Keys", "Items", "CompareMode"};
    return n;
}

[[noreturn]] void keyExists() {
    throw RuntimeError(err::KeyExists, "This key is already associated with an element of this collection");
}
[[noreturn]] void notFound() {
    throw RuntimeError(err::ElementNotFound, "Element not found");
}
[[noreturn]] void noSuchMember() {
    throw RuntimeError(err::NoSuchMember);
}

void appendBits(std::u16string& out, uint64_t bits) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char16_t>((bits >> (16 * i)) & 0xFFFF));
}

} // namespace

int DictionaryObject::memberId(std::u16string_view name) const {
    return names().find(name);
}

const void* DictionaryObject::memberTable() const {
    return &names();
}

// The key as the index stores it: a tag, then the number's bits, the (folded) text or the object's address.
std::u16string DictionaryObject::lookupKey(const Value& key) const {
    std::u16string out;
    switch (key.type()) {
    case VarType::Empty:
        out.push_back(u'e');
        break;
    case VarType::Null:
        out.push_back(u'z');
        break;
    case VarType::String:
        out.push_back(u's');
        out += m_compareMode != 0 ? textfold::lower(key.str()) : key.str();
        break;
    case VarType::Object:
        out.push_back(u'o');
        appendBits(out, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key.obj())));
        break;
    case VarType::Array:
        throw RuntimeError(err::TypeMismatch);
    default: {
        double d = toDouble(key);
        if (d == 0) d = 0; // -0 and 0 are one key
        out.push_back(u'n');
        appendBits(out, std::bit_cast<uint64_t>(d));
    }
    }
    return out;
}

long DictionaryObject::find(const Value& key) const {
    const auto it = m_index.find(lookupKey(key));
    return it == m_index.end() ? -1 : static_cast<long>(it->second);
}

// Memory an entry takes beside its key and item payloads: the entry (twice, for the list's spare
// room), its index node with the bucket, and the lookup text.
static size_t entryBytes(const std::u16string& lookup) {
    return 2 * (2 * sizeof(Value) + 8) + 72 + lookup.size() * sizeof(char16_t);
}

DictionaryObject::~DictionaryObject() {
    releaseAllCharges();
}

void DictionaryObject::releaseAllCharges() {
    MemoryMeter::release(m_charged);
    m_charged = 0;
}

size_t DictionaryObject::insert(const Value& key, Value item) {
    const std::u16string k = lookupKey(key);
    if (m_index.count(k)) keyExists();
    MemoryMeter::charge(entryBytes(k));
    m_charged += entryBytes(k);
    m_entries.push_back({key, std::move(item), true});
    m_index.emplace(k, m_entries.size() - 1);
    ++m_live;
    return m_entries.size() - 1;
}

void DictionaryObject::remove(const Value& key) {
    const auto it = m_index.find(lookupKey(key));
    if (it == m_index.end()) notFound();
    Entry& e = m_entries[it->second];
    const size_t bytes = entryBytes(it->first);
    MemoryMeter::release(bytes);
    m_charged -= bytes;
    e.live = false;
    e.key = Value();
    e.item = Value();
    m_index.erase(it);
    --m_live;
    if (m_entries.size() > 16 && m_live < m_entries.size() / 2) compact();
}

// Drops removed entries so the list does not grow without bound under Add/Remove churn.
void DictionaryObject::releaseReferences(std::vector<Value>& out) {
    for (Entry& e : m_entries) {
        if (!e.live) continue;
        out.push_back(std::move(e.key));
        out.push_back(std::move(e.item));
    }
    m_entries.clear();
    m_index.clear();
    m_live = 0;
    releaseAllCharges();
}

void DictionaryObject::references(std::vector<const Value*>& out) const {
    for (const Entry& e : m_entries) {
        if (!e.live) continue;
        out.push_back(&e.key);
        out.push_back(&e.item);
    }
}

void DictionaryObject::compact() {
    std::vector<Entry> kept;
    kept.reserve(m_live);
    for (Entry& e : m_entries)
        if (e.live) kept.push_back(std::move(e));
    m_entries = std::move(kept);
    m_index.clear();
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_index.emplace(lookupKey(m_entries[i].key), i);
}

Value DictionaryObject::invoke(int id, std::span<Value> args) {
    switch (id) {
    case Add:
        expectArgs(args, 2, 2);
        insert(args[0], args[1]);
        return Value();
    case Exists:
        expectArgs(args, 1, 1);
        return Value::boolean(find(args[0]) >= 0);
    case DefaultMember:
    case Item: {
        expectArgs(args, 1, 1);
        long i = find(args[0]);
        if (i < 0) // reading a missing key adds it with an Empty item
            i = static_cast<long>(insert(args[0], Value()));
        return m_entries[static_cast<size_t>(i)].item;
    }
    case Remove:
        expectArgs(args, 1, 1);
        remove(args[0]);
        return Value();
    case RemoveAll:
        expectArgs(args, 0, 0);
        m_entries.clear();
        m_index.clear();
        m_live = 0;
        releaseAllCharges();
        return Value();
    case Count:
        expectArgs(args, 0, 0);
        return Value::lng(static_cast<int32_t>(m_live));
    case Keys:
    case Items: {
        expectArgs(args, 0, 0);
        std::vector<Value> out;
        out.reserve(m_live);
        for (const Entry& e : m_entries)
            if (e.live) out.push_back(id == Keys ? e.key : e.item);
        return Value::arrayOf(std::move(out));
    }
    case CompareMode:
        expectArgs(args, 0, 0);
        return Value::lng(m_compareMode);
    default:
        noSuchMember();
    }
}

void DictionaryObject::assign(int id, std::span<Value> args, const Value& value, bool isSet) {
    switch (id) {
    case DefaultMember:
    case Item: {
        expectArgs(args, 1, 1);
        if (isSet && !value.isObject()) throw RuntimeError(err::ObjectRequired);
        // A plain assignment stores what an object stands for, not the object.
        const Value stored = isSet ? value : plain(value);
        const long i = find(args[0]);
        if (i < 0)
            insert(args[0], stored);
        else
            m_entries[static_cast<size_t>(i)].item = stored;
        return;
    }
    case Key: {
        expectArgs(args, 1, 1);
        const auto it = m_index.find(lookupKey(args[0]));
        if (it == m_index.end()) notFound();
        const std::u16string newKey = lookupKey(value);
        if (m_index.count(newKey)) keyExists();
        const size_t at = it->second;
        m_index.erase(it);
        m_entries[at].key = value;
        m_index.emplace(newKey, at);
        return;
    }
    case CompareMode: {
        const int32_t mode = toLong(value);
        if (mode < 0 || mode > 2 || m_live != 0) throw RuntimeError(err::InvalidCall);
        m_compareMode = mode;
        return;
    }
    default:
        noSuchMember();
    }
}

bool DictionaryObject::enumerate(std::vector<Value>& items) {
    items.clear();
    for (const Entry& e : m_entries)
        if (e.live) items.push_back(e.key);
    return true;
}

} // namespace tvk::script::lib
