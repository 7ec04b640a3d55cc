#pragma once

#include "script/ScriptObject.h"

#include <unordered_map>
#include <vector>

namespace tvk::script::lib {

// CreateObject("Scripting.Dictionary"): keys in insertion order mapped to items. Numeric keys compare by
// value whatever their subtype, text keys by code unit or (CompareMode 1) ignoring case, objects by identity.
class DictionaryObject final : public ScriptObject {
public:
    ~DictionaryObject() override;
    std::string typeName() const override { return "Dictionary"; }
    int memberId(std::u16string_view name) const override;
    Value invoke(int id, std::span<Value> args) override;
    void assign(int id, std::span<Value> args, const Value& value, bool isSet) override;
    bool enumerate(std::vector<Value>& items) override;
    // Hands over every key and item (and empties the dictionary) so that a dictionary holding
    // itself, directly or through other objects, can be released when the engine resets.
    void releaseReferences(std::vector<Value>& out) override;
    void references(std::vector<const Value*>& out) const override;
    const void* memberTable() const override;

private:
    struct Entry {
        Value key;
        Value item;
        bool live = true;
    };

    std::u16string lookupKey(const Value& key) const;
    // Index of the entry for `key`, or -1.
    long find(const Value& key) const;
    size_t insert(const Value& key, Value item);
    void remove(const Value& key);
    void compact();
    void releaseAllCharges();

    std::vector<Entry> m_entries;
    std::unordered_map<std::u16string, size_t> m_index;
    size_t m_live = 0;
    int m_compareMode = 0;
    size_t m_charged = 0; // bytes of the entries counted against the memory meter
};

} // namespace tvk::script::lib
