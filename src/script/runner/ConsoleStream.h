#pragma once

#include "script/ScriptObject.h"

#include <istream>
#include <ostream>

namespace tvk::script {

// WScript.StdIn, StdOut and StdErr: a text stream over the console, read or written as UTF-8.
// Reading a writing stream and writing a reading one raise 54 (bad file mode); reading past the
// end raises 62.
class ConsoleStream final : public ScriptObject {
public:
    explicit ConsoleStream(std::istream& in) : m_in(&in) {}
    explicit ConsoleStream(std::ostream& out) : m_out(&out) {}

    std::string typeName() const override { return "TextStream"; }
    int memberId(std::u16string_view name) const override;
    const void* memberTable() const override;
    Value invoke(int id, std::span<Value> args) override;

private:
    std::istream& input();
    std::ostream& output();
    std::string readLine();
    void write(const std::string& text);

    std::istream* m_in = nullptr;
    std::ostream* m_out = nullptr;
    int32_t m_line = 1, m_column = 1;
};

} // namespace tvk::script
