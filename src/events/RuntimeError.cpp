#include "RuntimeError.h"

namespace tvk {

RuntimeError::RuntimeError(int number) : std::runtime_error(std::string(err::describe(number))), m_number(number) {}

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), m_number(number) {}

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
