#pragma once

#include <stdexcept>
#include <string>

namespace tvk {

// The one error type of the program: a numbered runtime error as the Basic family knows it
// (9 subscript out of range, 13 type mismatch, 6 overflow, ...). Thrown where the fault is
// found and caught at the boundary that reports it; the script engine maps it to `Err`.
class RuntimeError : public std::runtime_error {
public:
    // Error with the standard description of `number` ("Subscript out of range" for 9).
    explicit RuntimeError(int number);
    // Error with a description of its own (e.g. a file name or a parser message).
    RuntimeError(int number, const std::string& description);

    int number() const noexcept { return m_number; }
    // The description alone, without the number.
    std::string description() const { return what(); }

    // Standard description of a runtime error number; "Application-defined or object-defined error" when unknown.
    static std::string standardDescription(int number);

private:
    int m_number;
};

// Numbers used across subsystems.
namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int OutOfStackSpace = 28;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIO = 57;
inline constexpr int DiskFull = 61;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectNotSet = 91;
inline constexpr int InvalidUseOfNull = 94;
inline constexpr int InvalidFileFormat = 321;
} // namespace err

// 32-bit signed arithmetic that raises the overflow error instead of wrapping.
int checkedAdd(int a, int b);
int checkedSub(int a, int b);
int checkedMul(int a, int b);

} // namespace tvk
