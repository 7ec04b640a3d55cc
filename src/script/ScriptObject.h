#pragma once

#include "script/Value.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tvk::script {

// An object scripts reach by name: host objects (the event list, WScript, Dictionary, RegExp)
// and instances of script classes. Members are found by case-insensitive name once per call
// site; the call site then keeps the id (see memberTable()). Errors are thrown as
// tvk::RuntimeError (438 no such member, 450 wrong number of arguments, 13, 9, ...).
class ScriptObject {
public:
    // Member id of the default member (what `obj(args)` and `x = obj` reach).
    static constexpr int DefaultMember = 0;
    // Returned by memberId for a name the object does not know.
    static constexpr int NoMember = -1;

    virtual ~ScriptObject() = default;

    // Name TypeName() reports for the object ("clsEvents", "Dictionary", a class name).
    virtual std::string typeName() const = 0;
    // Id of the member with this name (ASCII letters compared ignoring case), or NoMember.
    virtual int memberId(std::u16string_view name) const = 0;
    // Property get or method call with the given arguments. Arguments may be modified (ByRef
    // out values); the caller copies the array first when that matters.
    virtual Value invoke(int id, std::span<Value> args) = 0;
    // Property Let (isSet false) or Set (isSet true) with index arguments. Default: 438.
    virtual void assign(int id, std::span<Value> args, const Value& value, bool isSet);
    // For Each: the items in order; false when the object is not a collection (error 451).
    virtual bool enumerate(std::vector<Value>& items);
    // Called when the engine that created this object is reset: move every Value the object holds
    // into `out` (e.g. a collection's items), so reference cycles through it can be released.
    // Default: holds nothing.
    virtual void releaseReferences(std::vector<Value>& out) { (void)out; }
    // Appends every Value the object holds to `out`, so the cycle collector can follow them; an
    // object that reports none is never part of a collected cycle. Default: holds nothing.
    virtual void references(std::vector<const Value*>& out) const { (void)out; }
    // Objects returning the same non-null key map every name to the same id, so call sites may
    // cache the id per key. nullptr (the default) disables caching for this object.
    virtual const void* memberTable() const { return nullptr; }
};

// Helper for host objects: a fixed member table built from ASCII names, ids are positions + 1.
class MemberNames {
public:
    MemberNames(std::initializer_list<const char*> names);
    // Id (position + 1) of the name, or ScriptObject::NoMember.
    int find(std::u16string_view name) const;
    const char* name(int id) const { return m_names[static_cast<size_t>(id - 1)]; }
    int size() const { return static_cast<int>(m_names.size()); }

private:
    std::vector<const char*> m_names;
};

// Throws 450 unless min <= args.size() <= max.
void expectArgs(std::span<Value> args, size_t min, size_t max);

} // namespace tvk::script
