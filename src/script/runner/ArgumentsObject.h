#pragma once

#include "script/ScriptObject.h"

#include <memory>

namespace tvk::script {

// WScript.Arguments and its two views. All: every argument by position. Named: the "/name:value"
// and "/name" arguments by name (ignoring case; a bare switch has the value Empty). Unnamed: the
// others by position. Item is the default member (9 when out of range or unknown); For Each
// gives the values (Named: the names).
class ArgumentsObject final : public ScriptObject {
public:
    enum class View { All, Named, Unnamed };
    ArgumentsObject(std::vector<std::string> args, View view);

    std::string typeName() const override;
    int memberId(std::u16string_view name) const override;
    const void* memberTable() const override;
    Value invoke(int id, std::span<Value> args) override;
    bool enumerate(std::vector<Value>& items) override;

private:
    struct Named {
        std::u16string name;
        Value value;
    };
    const Named* findNamed(const Value& key) const;

    View m_view;
    std::vector<std::string> m_all; // All and Unnamed
    std::vector<Named> m_named;     // Named
    std::shared_ptr<ArgumentsObject> m_namedView, m_unnamedView;
};

} // namespace tvk::script
