#pragma once

#include "events/ErrorTable.h"

#include <stdexcept>
#include <string>

namespace tvk {

// The one error type of the program: a numbered runtime error as the Basic family knows it
// (9 subscript out of range, 13 type mismatch, 6 overflow, ...). Thrown where the fault is
// found and caught at the boundary that reports it; the script engine maps it to `Err`.
class RuntimeError : public std::runtime_error {
public:
    // Error with the standard description of `number` (err::describe: "Subscript out of range" for 9).
    explicit RuntimeError(int number);
    // Error with a description of its own (e.g. a file name or a parser message).
    RuntimeError(int number, const std::string& description);

    int number() const noexcept { return m_number; }
    // The description alone, without the number.
    std::string description() const { return what(); }

private:
    int m_number;
};

// 32-bit signed arithmetic that raises the overflow error instead of wrapping.
int checkedAdd(int a, int b);
int checkedSub(int a, int b);
int checkedMul(int a, int b);

} // namespace tvk
