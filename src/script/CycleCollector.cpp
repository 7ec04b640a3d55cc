#include "script/CycleCollector.h"

#include "script/Engine.h"

#include <unordered_map>

namespace tvk::script {

namespace {

// Trial deletion: every payload reachable from the engine's objects starts with its reference count;
// each reference from inside that set takes one away. What keeps a count above zero is held from
// outside, and so is everything it reaches; the rest is garbage.
class Graph {
public:
    explicit Graph(std::vector<std::shared_ptr<ScriptObject>> objects) {
        for (auto& held : objects)
            addObject(std::move(held));
        // Counts first, for every object, before any reference inside the set is taken away.
        std::vector<const void*> work;
        for (auto& [object, held] : m_objects) {
            m_count[object] += static_cast<long>(held.use_count()) - 1; // minus the one this graph holds
            work.push_back(object);
        }
        // Each reference from a node of the set takes one away; payloads (arrays, object boxes) join
        // the set with their own count when first met, and their references are followed in turn.
        while (!work.empty()) {
            const void* node = work.back();
            work.pop_back();
            forEachChild(node, [this, &work](const void* child, bool met) {
                if (met) work.push_back(child);
                --m_count[child];
            });
        }
    }

    // Objects nothing outside the set reaches, kept alive by the graph until the caller lets go.
    std::vector<std::shared_ptr<ScriptObject>> unreachable() {
        std::vector<const void*> work;
        for (auto& [node, count] : m_count)
            if (count > 0) work.push_back(node);
        while (!work.empty()) {
            const void* node = work.back();
            work.pop_back();
            if (!m_alive.emplace(node, true).second) continue;
            forEachChild(node, [&work](const void* child, bool) { work.push_back(child); });
        }
        std::vector<std::shared_ptr<ScriptObject>> garbage;
        for (auto& [object, held] : m_objects)
            if (!m_alive.count(object)) garbage.push_back(held);
        return garbage;
    }

private:
    void addObject(std::shared_ptr<ScriptObject> held) {
        const void* key = held.get();
        if (m_objects.emplace(key, std::move(held)).second) m_count.emplace(key, 0);
    }

    // Calls visit(child, met) for each node a node references: the payloads of an object's values, the
    // elements' payloads of an array, the object inside an object box (when it belongs to the set).
    // `met` is true when the child was seen for the first time (it then gets its own count).
    template <class Visit> void forEachChild(const void* node, Visit&& visit) {
        auto value = [&](const Value& v) {
            if (!(v.isArray() || v.isObject()) || !v.heap()) return;
            const Heap* payload = v.heap();
            bool met = m_count.emplace(payload, static_cast<long>(payload->refs)).second;
            visit(static_cast<const void*>(payload), met);
        };
        if (auto it = m_objects.find(node); it != m_objects.end()) {
            std::vector<const Value*> refs;
            it->second->references(refs);
            for (const Value* v : refs)
                value(*v);
            return;
        }
        const auto* payload = static_cast<const Heap*>(node);
        if (const auto* box = dynamic_cast<const ObjectRep*>(payload)) {
            if (m_objects.count(box->object.get())) visit(static_cast<const void*>(box->object.get()), false);
        } else if (const auto* array = dynamic_cast<const ArrayRep*>(payload)) {
            for (const Value& v : array->data)
                value(v);
        }
    }

    std::unordered_map<const void*, std::shared_ptr<ScriptObject>> m_objects;
    std::unordered_map<const void*, long> m_count;
    std::unordered_map<const void*, bool> m_alive;
};

} // namespace

size_t CycleCollector::collect(Engine& engine) {
    std::vector<std::shared_ptr<ScriptObject>> objects;
    for (ClassInstance* inst : engine.m_liveInstances)
        if (auto held = inst->weak_from_this().lock()) objects.push_back(std::move(held));
    for (auto& weak : engine.m_createdObjects)
        if (auto held = weak.lock()) objects.push_back(std::move(held));
    std::vector<std::shared_ptr<ScriptObject>> garbage = Graph(std::move(objects)).unreachable();
    // Empty every unreachable object before any of them goes, so none is freed while another is
    // being emptied; dropping the values and then the objects frees the cycles.
    std::vector<Value> dropped;
    for (auto& object : garbage)
        object->releaseReferences(dropped);
    dropped.clear();
    size_t count = garbage.size();
    garbage.clear();
    return count;
}

} // namespace tvk::script
