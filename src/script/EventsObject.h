#pragma once

#include "events/clsEvents.h"
#include "script/ScriptObject.h"

#include <memory>

namespace tvk {

// The event list as a script object: every public member of clsEvents by its name, in interface
// order (EventCount ... CloneEvents); indexed properties take the event index as their argument.
// The list's runtime errors reach the script with their numbers.
std::shared_ptr<script::ScriptObject> makeEventsObject(std::shared_ptr<clsEvents> events);

// The list behind an object made by makeEventsObject, or nullptr for any other object.
std::shared_ptr<clsEvents> eventsOfObject(const script::ScriptObject& object);

} // namespace tvk
