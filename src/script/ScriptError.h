#pragma once

#include "events/RuntimeError.h"

#include <string>

namespace tvk {

// A script's compile or runtime error with the position of the statement at fault (1-based;
// 0 when the error arose outside any statement, e.g. calling a missing function).
class ScriptError : public RuntimeError {
public:
    ScriptError(int number, const std::string& description, int line, int column, bool compileError)
        : RuntimeError(number, description), m_line(line), m_column(column), m_compile(compileError) {}
    // The same with the standard text of `number` as scripts word it.
    ScriptError(int number, int line, int column, bool compileError)
        : ScriptError(number, std::string(err::describe(number, err::Wording::Script)), line, column, compileError) {}

    int line() const noexcept { return m_line; }
    int column() const noexcept { return m_column; }
    bool isCompileError() const noexcept { return m_compile; }
    // Which AddCode text (0 for the first since the last Reset) the line belongs to; -1 when
    // unknown (no line, or the error arose outside any added text).
    int codeIndex() const noexcept { return m_code; }
    void setCodeIndex(int index) noexcept { m_code = index; }

private:
    int m_line, m_column;
    bool m_compile;
    int m_code = -1;
};

namespace script {
// The description a script sees for `e`: its own, or when it carries only the program's standard
// text, the standard text in the script's wording.
std::string scriptDescription(const RuntimeError& e);
// The error number a raised result code stands for: the language's own numbers (0x800A0000 + n)
// and the common system results map to n; any other number stays as it is.
int errorNumberOfResult(int number);
// Err.Source after an error the language raised while running, and after a compile error.
inline constexpr const char* RuntimeErrorSource = "Microsoft VBScript runtime error";
inline constexpr const char* CompileErrorSource = "Microsoft VBScript compilation error";
} // namespace script

} // namespace tvk
