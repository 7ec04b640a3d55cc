#include "RuntimeError.h"

namespace tvk {

RuntimeError::RuntimeError(int number) : std::runtime_error(standardDescription(number)), m_number(number) {}

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), m_number(number) {}

std::string RuntimeError::standardDescription(int number) {
    switch (number) {
    case 5:
        return "Invalid procedure call or argument";
    case 6:
        return "Overflow";
    case 7:
        return "Out of memory";
    case 9:
        return "Subscript out of range";
    case 11:
        return "Division by zero";
    case 13:
        return "Type mismatch";
    case 28:
        return "Out of stack space";
    case 52:
        return "Bad file name or number";
    case 53:
        return "File not found";
    case 57:
        return "Device I/O error";
    case 61:
        return "Disk full";
    case 70:
        return "Permission denied";
    case 75:
        return "Path/File access error";
    case 76:
        return "Path not found";
    case 91:
        return "Object variable or With block variable not set";
    case 94:
        return "Invalid use of Null";
    case 321:
        return "Invalid file format";
    default:
        return "Application-defined or object-defined error";
    }
}

int checkedAdd(int a, int b) {
    int r;
    if (__builtin_add_overflow(a, b, &r)) throw RuntimeError(err::Overflow);
    return r;
}

int checkedSub(int a, int b) {
    int r;
    if (__builtin_sub_overflow(a, b, &r)) throw RuntimeError(err::Overflow);
    return r;
}

int checkedMul(int a, int b) {
    int r;
    if (__builtin_mul_overflow(a, b, &r)) throw RuntimeError(err::Overflow);
    return r;
}

} // namespace tvk
