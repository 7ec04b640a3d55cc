#include "script/EventsObject.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"

namespace tvk {

using namespace script;

namespace {

enum Member {
    EventCount = 1,
    SegmentSize,
    ElementProcessor,
    EnableProcessor,
    MouseUpDetail,
    MouseDownDetail,
    AddEvent,
    RemoveEvent,
    LoadFile,
    SaveFile,
    IsEvent,
    EventType,
    EventPosX,
    EventPosY,
    EventData,
    EventTime,
    EventPressed,
    CloneEvents
};

const MemberNames& memberNames() {
    static const MemberNames names{
        "EventCount", "SegmentSize", "ElementProcessor", "EnableProcessor", "MouseUpDetail", "MouseDownDetail",
        "AddEvent",   "RemoveEvent", "LoadFile",         "SaveFile",        "IsEvent",       "EventType",
        "EventPosX",  "EventPosY",   "EventData",        "EventTime",       "EventPressed",  "CloneEvents"};
    return names;
}

int16_t truthValue(const Value& v) {
    return toBool(v) ? VbTrue : VbFalse;
}

class EventsObject final : public ScriptObject {
public:
    explicit EventsObject(std::shared_ptr<clsEvents> e) : m_events(std::move(e)) {}

    std::string typeName() const override { return "clsEvents"; }
    int memberId(std::u16string_view name) const override { return memberNames().find(name); }
    const void* memberTable() const override { return &memberNames(); }

    Value invoke(int id, std::span<Value> args) override {
        clsEvents& ev = *m_events;
        switch (id) {
        case EventCount:
            expectArgs(args, 0, 0);
            return Value::lng(ev.EventCount);
        case SegmentSize:
            expectArgs(args, 0, 0);
            return Value::lng(ev.SegmentSize);
        case ElementProcessor:
            expectArgs(args, 0, 0);
            return Value::string(std::string_view(ev.ElementProcessor));
        case EnableProcessor:
            expectArgs(args, 0, 0);
            return Value::boolean(ev.EnableProcessor != 0);
        case MouseUpDetail:
            expectArgs(args, 0, 0);
            return Value::lng(ev.MouseUpDetail);
        case MouseDownDetail:
            expectArgs(args, 0, 0);
            return Value::lng(ev.MouseDownDetail);
        case AddEvent:
            expectArgs(args, 5, 5);
            return Value::lng(
                ev.AddEvent(toLong(args[0]), toBool(args[1]), toLong(args[2]), toLong(args[3]), toLong(args[4])));
        case RemoveEvent:
            expectArgs(args, 1, 1);
            ev.RemoveEvent(toLong(args[0]));
            return Value();
        case LoadFile:
            expectArgs(args, 1, 1);
            ev.LoadFile(toUtf8(args[0]));
            return Value();
        case SaveFile:
            expectArgs(args, 1, 1);
            ev.SaveFile(toUtf8(args[0]));
            return Value();
        case IsEvent:
            expectArgs(args, 1, 1);
            return Value::boolean(ev.IsEvent(toLong(args[0])));
        case EventType:
            expectArgs(args, 1, 1);
            return Value::lng(ev.EventType(toLong(args[0])));
        case EventPosX:
            expectArgs(args, 1, 1);
            return Value::lng(ev.EventPosX(toLong(args[0])));
        case EventPosY:
            expectArgs(args, 1, 1);
            return Value::lng(ev.EventPosY(toLong(args[0])));
        case EventData:
            expectArgs(args, 1, 1);
            return Value::lng(ev.EventData(toLong(args[0])));
        case EventTime:
            expectArgs(args, 1, 1);
            return Value::lng(ev.EventTime(toLong(args[0])));
        case EventPressed:
            expectArgs(args, 1, 1);
            return Value::boolean(ev.EventPressed(toLong(args[0])) != 0);
        case CloneEvents:
            expectArgs(args, 0, 0);
            return Value::object(makeEventsObject(ev.CloneEvents()));
        default:
            throw RuntimeError(err::NoSuchMember);
        }
    }

    void assign(int id, std::span<Value> args, const Value& v, bool isSet) override {
        if (isSet) throw RuntimeError(err::NoSuchMember);
        clsEvents& ev = *m_events;
        switch (id) {
        case EventCount:
            expectArgs(args, 0, 0);
            ev.EventCount = toLong(v);
            return;
        case SegmentSize:
            expectArgs(args, 0, 0);
            ev.SegmentSize = toLong(v);
            return;
        case ElementProcessor:
            expectArgs(args, 0, 0);
            ev.ElementProcessor = toUtf8(v);
            return;
        case EnableProcessor:
            expectArgs(args, 0, 0);
            ev.EnableProcessor = truthValue(v);
            return;
        case MouseUpDetail:
            expectArgs(args, 0, 0);
            ev.MouseUpDetail = toLong(v);
            return;
        case MouseDownDetail:
            expectArgs(args, 0, 0);
            ev.MouseDownDetail = toLong(v);
            return;
        case EventType:
            expectArgs(args, 1, 1);
            ev.setEventType(toLong(args[0]), toLong(v));
            return;
        case EventPosX:
            expectArgs(args, 1, 1);
            ev.setEventPosX(toLong(args[0]), toLong(v));
            return;
        case EventPosY:
            expectArgs(args, 1, 1);
            ev.setEventPosY(toLong(args[0]), toLong(v));
            return;
        case EventData:
            expectArgs(args, 1, 1);
            ev.setEventData(toLong(args[0]), toLong(v));
            return;
        case EventTime:
            expectArgs(args, 1, 1);
            ev.setEventTime(toLong(args[0]), toLong(v));
            return;
        case EventPressed:
            expectArgs(args, 1, 1);
            ev.setEventPressed(toLong(args[0]), truthValue(v));
            return;
        default:
            throw RuntimeError(err::WrongArgumentCount);
        }
    }

    const std::shared_ptr<clsEvents>& events() const { return m_events; }

private:
    std::shared_ptr<clsEvents> m_events;
};

} // namespace

std::shared_ptr<ScriptObject> makeEventsObject(std::shared_ptr<clsEvents> events) {
    if (!events) return nullptr;
    return std::make_shared<EventsObject>(std::move(events));
}

std::shared_ptr<clsEvents> eventsOfObject(const ScriptObject& object) {
    if (auto* e = dynamic_cast<const EventsObject*>(&object)) return e->events();
    return nullptr;
}

} // namespace tvk
