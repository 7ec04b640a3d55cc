#include "script/ScriptError.h"

namespace tvk::script {

int errorNumberOfResult(int number) {
    const auto code = static_cast<uint32_t>(number);
    if ((code & 0xFFFF0000u) == 0x800A0000u) return static_cast<int>(code & 0xFFFFu);
    switch (code) {
    case 0x8007000Eu: // out of memory
        return err::OutOfMemory;
    case 0x80070057u: // invalid argument
        return err::InvalidCall;
    case 0x80070005u: // access denied
        return err::PermissionDenied;
    case 0x80070002u: // file not found
        return err::FileNotFound;
    case 0x80070003u: // path not found
        return err::PathNotFound;
    case 0x80004001u: // not implemented
        return err::ActionNotSupported;
    case 0x80004002u: // no such interface
        return err::NoAutomation;
    case 0x80020003u: // member not found
    case 0x80020006u: // unknown name
        return err::NoSuchMember;
    case 0x80020005u: // type mismatch
        return err::TypeMismatch;
    case 0x8002000Au: // overflow
        return err::Overflow;
    case 0x8002000Bu: // bad index
        return err::SubscriptOutOfRange;
    case 0x8002000Eu: // wrong number of arguments
        return err::WrongArgumentCount;
    case 0x80020012u: // division by zero
        return err::DivisionByZero;
    default:
        return number;
    }
}

std::string scriptDescription(const RuntimeError& e) {
    std::string d = e.description();
    // The time-out text belongs to the engine's own abort; a script raising 1000 keeps the generic one.
    if (e.number() == err::ScriptTimeout && !d.empty()) return d;
    if (d.empty() || d == err::describe(e.number()))
        return std::string(err::describe(e.number(), err::Wording::Script));
    return d;
}

} // namespace tvk::script
