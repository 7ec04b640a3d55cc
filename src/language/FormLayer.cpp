#include "language/FormLayer.h"

#include "events/RuntimeError.h"
#include "language/TextCompare.h"

namespace tvk {

void throwNoSuchMember(std::string_view member) {
    throw RuntimeError(err::NoSuchMember, "Object doesn't support this property or method: " + std::string(member));
}

std::string FormControl::defaultValue() const {
    throwNoSuchMember("default property");
}

void FormControl::setDefaultValue(const std::string&) {
    throwNoSuchMember("default property");
}

std::string FormControl::property(std::string_view name) const {
    throwNoSuchMember(name);
}

void FormControl::setProperty(std::string_view name, const std::string&) {
    throwNoSuchMember(name);
}

std::string FormControl::indexedProperty(std::string_view name, int) const {
    throwNoSuchMember(name);
}

void FormControl::setIndexedProperty(std::string_view name, int, const std::string&) {
    throwNoSuchMember(name);
}

void FormControl::callMethod(std::string_view name, const std::vector<std::string>&) {
    throwNoSuchMember(name);
}

FormItemList& FormControl::member(std::string_view name) {
    throwNoSuchMember(name);
}

FormControl* Form::control(std::string_view name) {
    for (FormControl* c : controls()) {
        if (c && equalsIgnoreCase(c->name(), name)) return c;
    }
    return nullptr;
}

} // namespace tvk
