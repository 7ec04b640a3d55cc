// Form translation: capturing a window into its database and applying a database to a window.
#include "language/clsLanguage.h"

#include "events/RuntimeError.h"
#include "language/TextCompare.h"

#include <exception>

namespace tvk {
namespace {

enum class KindClass { ListView, TabStrip, Columns, SSTab, List, Caption, Other };

KindClass classify(std::string_view kind) {
    auto is = [&](std::string_view name) { return equalsIgnoreCase(kind, name); };
    if (is("ListView")) return KindClass::ListView;
    if (is("TabStrip")) return KindClass::TabStrip;
    if (is("vbalListViewCtl1")) return KindClass::Columns;
    if (is("SSTab")) return KindClass::SSTab;
    if (is("ListBox") || is("ComboBox")) return KindClass::List;
    if (is("CommandButton") || is("CheckBox") || is("OptionBox") || is("Menu")) return KindClass::Caption;
    return KindClass::Other;
}

// The member collection of the collection kinds ("ColumnHeaders", "Tabs", "Columns") and its first index.
struct CollectionMember {
    std::string_view name;
    std::int32_t start;
};

CollectionMember collectionOf(KindClass k) {
    switch (k) {
    case KindClass::ListView:
        return {"ColumnHeaders", 1};
    case KindClass::TabStrip:
        return {"Tabs", 0};
    default:
        return {"Columns", 0};
    }
}

std::int32_t countFromText(const std::string& text) {
    const auto n = textAsIndex(text);
    if (!n) throw RuntimeError(err::TypeMismatch);
    return *n;
}

// CollectItems: an array from `start` holding the `n` texts that `itemAt(position)` gives for 0 .. n-1.
// An empty list cannot be captured, since arrays hold at least one item (9).
template <typename ItemAt> LanguageValue collectItems(std::int32_t n, std::int32_t start, ItemAt itemAt) {
    if (n <= 0) throw RuntimeError(err::SubscriptOutOfRange);
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i)
        items.push_back(itemAt(i));
    return LanguageValue::array(start, std::move(items));
}

LanguageValue captureControl(FormControl& c, KindClass k) {
    switch (k) {
    case KindClass::ListView:
    case KindClass::TabStrip:
    case KindClass::Columns: {
        const auto member = collectionOf(k);
        FormItemList& list = c.member(member.name);
        return collectItems(list.count(), member.start, [&](std::int32_t i) { return list.itemText(i); });
    }
    case KindClass::SSTab:
        return collectItems(countFromText(c.property("Tabs")), 0,
                            [&](std::int32_t i) { return c.indexedProperty("TabCaption", i); });
    case KindClass::List:
        return collectItems(countFromText(c.property("ListCount")), 0,
                            [&](std::int32_t i) { return c.indexedProperty("List", i); });
    case KindClass::Caption:
        return LanguageValue(c.property("Caption"));
    case KindClass::Other:
        break;
    }
    return LanguageValue(c.defaultValue());
}

// ApplyItems for every list-like kind. A value that is not an array changes nothing; a failure part way
// leaves what was cleared or added so far.
void applyItems(FormControl& c, KindClass k, const LanguageValue& values) {
    if (!values.isArray()) return;
    const auto& items = values.items();
    switch (k) {
    case KindClass::SSTab: {
        c.setProperty("Tabs", std::to_string(items.size()));
        std::int32_t index = values.lowerBound();
        for (const auto& text : items)
            c.setIndexedProperty("TabCaption", index++, text);
        return;
    }
    case KindClass::List:
        c.callMethod("Clear", {});
        for (const auto& text : items)
            c.callMethod("AddItem", {text});
        return;
    default: {
        FormItemList& list = c.member(collectionOf(k).name);
        list.clear();
        for (const auto& text : items)
            list.add(text);
    }
    }
}

// Runs one step of applying a language; a failing step is skipped by rule, whatever went wrong in it.
template <typename Step> void absorbing(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace

void clsLanguage::AppendForm(Form& form, std::string_view ControlsExpression) {
    const std::string formName = form.name();
    auto d = FindDatabase(formName, true);
    if (d == -1) {
        d = AppendDatabase(formName, true);
    } else {
        ClearEntries(d);
    }
    AppendEntry(d, "Caption", LanguageValue(form.property("Caption")), "Property");

    std::vector<std::string_view> kinds;
    for (std::size_t start = 0; !ControlsExpression.empty();) {
        const auto end = ControlsExpression.find(';', start);
        kinds.push_back(ControlsExpression.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    const bool all = ControlsExpression == "*";

    for (FormControl* c : form.controls()) {
        if (!c) throw RuntimeError(err::ObjectNotSet);
        const std::string kind = c->kind();
        if (!all && std::none_of(kinds.begin(), kinds.end(), [&](auto k) { return equalsIgnoreCase(k, kind); })) {
            continue;
        }
        auto value = captureControl(*c, classify(kind));
        AppendEntry(d, c->name(), std::move(value), kind);
    }
}

void clsLanguage::ProcessForm(Form& form) {
    std::int32_t d = -1;
    absorbing([&] { d = FindDatabase(form.name(), true); });
    if (!IsDatabase(d)) return;
    // Index-based: a window property or control may call back into this object while it is changed.
    for (std::size_t i = 0; IsDatabase(d) && i < m_databases[static_cast<std::size_t>(d)].Entries.size(); ++i) {
        const EntryRecord entry = m_databases[static_cast<std::size_t>(d)].Entries[i];
        applyEntry(form, entry);
    }
}

void clsLanguage::applyEntry(Form& form, const EntryRecord& entry) {
    if (equalsIgnoreCase(entry.Type, "Property")) {
        absorbing([&] { form.setProperty(entry.Name, entry.Value.text()); });
    }
    FormControl* control = nullptr;
    absorbing([&] { control = form.control(entry.Name); });
    if (!control) return;
    const auto k = classify(entry.Type);
    absorbing([&] {
        switch (k) {
        case KindClass::Caption:
            control->setProperty("Caption", entry.Value.text());
            break;
        case KindClass::Other:
            control->setDefaultValue(entry.Value.text());
            break;
        default:
            applyItems(*control, k, entry.Value);
        }
    });
}

void clsLanguage::UpdateAll(const std::vector<Form*>& aForms) {
    for (Form* form : aForms) {
        if (!form) throw RuntimeError(err::ObjectNotSet);
        ProcessForm(*form);
    }
}

} // namespace tvk
