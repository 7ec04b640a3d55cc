#pragma once

#include "language/FormLayer.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tvk {

// A plain in-memory window layer: windows and controls that hold their texts in fields and behave by
// kind as the Qt windows do. Used by tests and tools that translate or capture windows without Qt.
class MemoryItemList : public FormItemList {
public:
    std::vector<std::string> texts;
    bool failOnAdd = false; // Add raises 5, to check that a failure part way is absorbed

    int count() const override { return static_cast<int>(texts.size()); }
    std::string itemText(int position) const override;
    void clear() override { texts.clear(); }
    void add(const std::string& text) override;
};

// A control of any kind. Kinds and what they offer:
//   CommandButton, OptionBox, Menu: Caption (default property Caption); Menu also keeps a shortcut.
//   Label, Frame: default property Caption.  TextBox: Text (default).  CheckBox: Caption, Value (default).
//   ComboBox, ListBox: List(i), ListCount, ListIndex, Clear, AddItem; ComboBox Text (default).
//   ListView: ColumnHeaders.  TabStrip: Tabs.  vbalListViewCtl1: Columns.  SSTab: Tabs, TabCaption(i).
//   PictureBox, StatusBar: default property Text.
// Every name in `failing` raises 5 when touched, for fault injection.
class MemoryControl : public FormControl {
public:
    MemoryControl(std::string name, std::string kind, std::string tag = {});

    std::string name() const override { return m_name; }
    std::string kind() const override { return m_kind; }
    std::string tag() const override { return m_tag; }
    std::string defaultValue() const override;
    void setDefaultValue(const std::string& value) override;
    std::string property(std::string_view name) const override;
    void setProperty(std::string_view name, const std::string& value) override;
    std::string indexedProperty(std::string_view name, int index) const override;
    void setIndexedProperty(std::string_view name, int index, const std::string& value) override;
    void callMethod(std::string_view name, const std::vector<std::string>& arguments) override;
    FormItemList& member(std::string_view name) override;

    std::string caption;
    std::string text;
    std::string shortcut;
    int value = 0;      // check box state 0, 1, 2
    int listIndex = -1; // selected list item
    std::vector<std::string> list;
    std::vector<std::string> tabCaptions;
    std::map<std::string, MemoryItemList, std::less<>> members;
    std::set<std::string, std::less<>> failing;

private:
    bool offers(std::string_view what) const;
    void touch(std::string_view name) const;

    std::string m_name;
    std::string m_kind;
    std::string m_tag;
};

class MemoryForm : public Form {
public:
    explicit MemoryForm(std::string name, std::string caption = {});

    std::string name() const override { return m_name; }
    std::string property(std::string_view name) const override;
    void setProperty(std::string_view name, const std::string& value) override;
    std::vector<FormControl*> controls() override;

    // Adds a control at the end of the control order and returns it.
    MemoryControl& add(std::string name, std::string kind, std::string tag = {});

    std::string caption;

private:
    std::string m_name;
    std::vector<std::unique_ptr<MemoryControl>> m_controls;
};

} // namespace tvk
