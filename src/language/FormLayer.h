#pragma once

#include "events/ErrorTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace tvk {

// The window layer that form translation (clsLanguage) and the settings sweep (clsSettings) work on.
// The Qt windows implement it over their widgets and actions; MemoryForm implements it in plain memory.
//
// Everything is reached by name, the way language files and settings name it. Texts are UTF-8.
// A failed access is a tvk::RuntimeError the caller sees:
//   438 no such property or method on this object (the default of every optional member below),
//   13  a value of the wrong kind (e.g. "abc" for ListIndex),
//   380 a value out of range (e.g. a ListIndex beyond the list),
//   381 an index out of range for an indexed property (List(i), TabCaption(i)) or an item list.

// Throws the 438 error for `member`; implementations call it for names they do not know.
[[noreturn]] void throwNoSuchMember(std::string_view member);

// A collection member of a list-like control: "ColumnHeaders" of a ListView, "Tabs" of a TabStrip,
// "Columns" of a vbalListViewCtl1. Positions here are 0-based whatever the collection's own base.
class FormItemList {
public:
    virtual ~FormItemList() = default;
    virtual int count() const = 0;                        // Count
    virtual std::string itemText(int position) const = 0; // Item(position).Text; 381 when out of range
    virtual void clear() = 0;                             // Clear
    virtual void add(const std::string& text) = 0;        // Add(, , text): appended with the default width
};

// One control of a window: a widget or a menu action.
class FormControl {
public:
    virtual ~FormControl() = default;

    // The control's Name (the Qt object name) and its kind name: "CommandButton", "Label", "TextBox",
    // "CheckBox", "Frame", "PictureBox", "ComboBox", "ListView", "Menu", "StatusBar", or any other.
    virtual std::string name() const = 0;
    virtual std::string kind() const = 0;
    // The Tag text that the settings sweep uses as key; empty (the default) takes no part.
    virtual std::string tag() const { return {}; }

    // The default property: the caption of a label or frame, the text of a text box, combo box or status
    // bar, empty text for a picture box. Capturing "*" reads it from every control that is not a caption or
    // list kind, so every such kind should have one; 438 when it has none.
    virtual std::string defaultValue() const;
    virtual void setDefaultValue(const std::string& value);

    // A property by name. Names used: "Caption" (caption kinds; a menu keeps its shortcut when the caption
    // changes), "Text", "Value" (check box: "0", "1", "2"), "ListIndex" ("-1" for none), "ListCount",
    // "Tabs" (tab count of an SSTab, writable). Values are converted from and to their text form.
    virtual std::string property(std::string_view name) const;
    virtual void setProperty(std::string_view name, const std::string& value);

    // An indexed property by name: "List" (0-based list item), "TabCaption" (0-based tab caption).
    virtual std::string indexedProperty(std::string_view name, int index) const;
    virtual void setIndexedProperty(std::string_view name, int index, const std::string& value);

    // A method by name: "Clear" (no arguments) and "AddItem" (one argument, the item's text).
    virtual void callMethod(std::string_view name, const std::vector<std::string>& arguments);

    // A collection member by name ("ColumnHeaders", "Tabs", "Columns"); 438 when the control has none.
    // The reference stays valid while the control lives.
    virtual FormItemList& member(std::string_view name);
};

// A window.
class Form {
public:
    virtual ~Form() = default;

    // The window's Name ("frmMain").
    virtual std::string name() const = 0;
    // A window property by name, compared ignoring letter case (language files name them); every window
    // knows "Caption". 438 for any other name it does not know.
    virtual std::string property(std::string_view name) const = 0;
    virtual void setProperty(std::string_view name, const std::string& value) = 0;
    // Every control, menus included, in the window's fixed order. Pointers stay valid while the window lives.
    virtual std::vector<FormControl*> controls() = 0;
    // The first control whose Name equals `name` (ignoring letter case), or nullptr when none does.
    virtual FormControl* control(std::string_view name);
};

} // namespace tvk
