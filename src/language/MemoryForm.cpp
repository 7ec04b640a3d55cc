#include "language/MemoryForm.h"

#include "events/RuntimeError.h"
#include "language/TextCompare.h"

namespace tvk {
namespace {

int toInt(const std::string& text) {
    const auto number = textAsIndex(text);
    if (!number) throw RuntimeError(err::TypeMismatch);
    return *number;
}

} // namespace

std::string MemoryItemList::itemText(int position) const {
    if (position < 0 || position >= count()) throw RuntimeError(err::InvalidPropertyArrayIndex);
    return texts[static_cast<std::size_t>(position)];
}

void MemoryItemList::add(const std::string& text) {
    if (failOnAdd) throw RuntimeError(err::InvalidCall);
    texts.push_back(text);
}

MemoryControl::MemoryControl(std::string name, std::string kind, std::string tag)
    : m_name(std::move(name)), m_kind(std::move(kind)), m_tag(std::move(tag)) {
    if (offers("ColumnHeaders")) members.emplace("ColumnHeaders", MemoryItemList{});
    if (offers("TabsMember")) members.emplace("Tabs", MemoryItemList{});
    if (offers("Columns")) members.emplace("Columns", MemoryItemList{});
}

// Which member names this control's kind offers.
bool MemoryControl::offers(std::string_view what) const {
    auto kindIs = [&](std::initializer_list<std::string_view> kinds) {
        for (auto k : kinds) {
            if (equalsIgnoreCase(m_kind, k)) return true;
        }
        return false;
    };
    if (what == "Caption") return kindIs({"CommandButton", "OptionBox", "Menu", "CheckBox", "Label", "Frame"});
    if (what == "Text") return kindIs({"TextBox", "ComboBox", "PictureBox", "StatusBar"});
    if (what == "Value") return kindIs({"CheckBox"});
    if (what == "List") return kindIs({"ComboBox", "ListBox"});
    if (what == "ColumnHeaders") return kindIs({"ListView"});
    if (what == "TabsMember") return kindIs({"TabStrip"});
    if (what == "Columns") return kindIs({"vbalListViewCtl1"});
    if (what == "SSTab") return kindIs({"SSTab"});
    return false;
}

void MemoryControl::touch(std::string_view name) const {
    if (failing.count(name)) throw RuntimeError(err::InvalidCall);
}

std::string MemoryControl::defaultValue() const {
    touch("default");
    if (offers("Value")) return std::to_string(value);
    if (offers("Text")) return text;
    if (offers("Caption")) return caption;
    throwNoSuchMember("default property");
}

void MemoryControl::setDefaultValue(const std::string& v) {
    touch("default");
    if (offers("Value")) {
        setProperty("Value", v);
    } else if (offers("Text")) {
        text = v;
    } else if (offers("Caption")) {
        caption = v;
    } else {
        throwNoSuchMember("default property");
    }
}

std::string MemoryControl::property(std::string_view name) const {
    touch(name);
    if (name == "Caption" && offers("Caption")) return caption;
    if (name == "Text" && offers("Text")) return text;
    if (name == "Value" && offers("Value")) return std::to_string(value);
    if (name == "ListIndex" && offers("List")) return std::to_string(listIndex);
    if (name == "ListCount" && offers("List")) return std::to_string(list.size());
    if (name == "Tabs" && offers("SSTab")) return std::to_string(tabCaptions.size());
    throwNoSuchMember(name);
}

void MemoryControl::setProperty(std::string_view name, const std::string& v) {
    touch(name);
    if (name == "Caption" && offers("Caption")) {
        caption = v; // a menu's shortcut is a property of its own and stays
    } else if (name == "Text" && offers("Text")) {
        text = v;
    } else if (name == "Value" && offers("Value")) {
        const int n = toInt(v);
        if (n < 0 || n > 2) throw RuntimeError(err::InvalidPropertyValue);
        value = n;
    } else if (name == "ListIndex" && offers("List")) {
        const int n = toInt(v);
        if (n < -1 || n >= static_cast<int>(list.size())) throw RuntimeError(err::InvalidPropertyValue);
        listIndex = n;
    } else if (name == "Tabs" && offers("SSTab")) {
        const int n = toInt(v);
        if (n < 1 || n > 1000) throw RuntimeError(err::InvalidPropertyValue);
        tabCaptions.resize(static_cast<std::size_t>(n));
    } else {
        throwNoSuchMember(name);
    }
}

std::string MemoryControl::indexedProperty(std::string_view name, int index) const {
    touch(name);
    const std::vector<std::string>* items = nullptr;
    if (name == "List" && offers("List")) items = &list;
    if (name == "TabCaption" && offers("SSTab")) items = &tabCaptions;
    if (!items) throwNoSuchMember(name);
    if (index < 0 || index >= static_cast<int>(items->size())) throw RuntimeError(err::InvalidPropertyArrayIndex);
    return (*items)[static_cast<std::size_t>(index)];
}

void MemoryControl::setIndexedProperty(std::string_view name, int index, const std::string& v) {
    touch(name);
    std::vector<std::string>* items = nullptr;
    if (name == "List" && offers("List")) items = &list;
    if (name == "TabCaption" && offers("SSTab")) items = &tabCaptions;
    if (!items) throwNoSuchMember(name);
    if (index < 0 || index >= static_cast<int>(items->size())) throw RuntimeError(err::InvalidPropertyArrayIndex);
    (*items)[static_cast<std::size_t>(index)] = v;
}

void MemoryControl::callMethod(std::string_view name, const std::vector<std::string>& arguments) {
    touch(name);
    if (!offers("List")) throwNoSuchMember(name);
    if (name == "Clear" && arguments.empty()) {
        list.clear();
        listIndex = -1;
    } else if (name == "AddItem" && arguments.size() == 1) {
        list.push_back(arguments[0]);
    } else {
        throwNoSuchMember(name);
    }
}

FormItemList& MemoryControl::member(std::string_view name) {
    touch(name);
    const auto it = members.find(name);
    if (it == members.end()) throwNoSuchMember(name);
    return it->second;
}

MemoryForm::MemoryForm(std::string name, std::string caption) : caption(std::move(caption)), m_name(std::move(name)) {}

std::string MemoryForm::property(std::string_view name) const {
    if (equalsIgnoreCase(name, "Caption")) return caption;
    throwNoSuchMember(name);
}

void MemoryForm::setProperty(std::string_view name, const std::string& value) {
    if (!equalsIgnoreCase(name, "Caption")) throwNoSuchMember(name);
    caption = value;
}

std::vector<FormControl*> MemoryForm::controls() {
    std::vector<FormControl*> out;
    out.reserve(m_controls.size());
    for (auto& c : m_controls)
        out.push_back(c.get());
    return out;
}

MemoryControl& MemoryForm::add(std::string name, std::string kind, std::string tag) {
    m_controls.push_back(std::make_unique<MemoryControl>(std::move(name), std::move(kind), std::move(tag)));
    return *m_controls.back();
}

} // namespace tvk
