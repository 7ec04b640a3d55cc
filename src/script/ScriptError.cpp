#include "script/ScriptError.h"

namespace tvk::script {

int errorNumberOfResult(int number) {
    const auto code = static_cast<uint32_t>(number);
    if ((code & 0xFFFF0000u) == 0x800A0000u) return static_cast<int>(code & 0xFFFFu);
    switch (code) {
    case 0x8007000Eu: // out of memory
        return 7;
    case 0x80070057u: // invalid argument
        return 5;
    case 0x80070005u: // access denied
        return 70;
    case 0x80070002u: // file not found
        return 53;
    case 0x80070003u: // path not found
        return 76;
    case 0x80004001u: // not implemented
        return 445;
    case 0x80004002u: // no such interface
        return 430;
    case 0x80020003u: // member not found
    case 0x80020006u: // unknown name
        return 438;
    case 0x80020005u: // type mismatch
        return 13;
    case 0x8002000Au: // overflow
        return 6;
    case 0x8002000Bu: // bad index
        return 9;
    case 0x8002000Eu: // wrong number of arguments
        return 450;
    case 0x80020012u: // division by zero
        return 11;
    default:
        return number;
    }
}

// The language's own texts; numbers shared with the rest of the program use the common table.
std::string errorDescription(int n) {
    switch (n) {
    case 10:
        return "This array is fixed or temporarily locked";
    case 14:
        return "Out of string space";
    case 35:
        return "Sub or Function not defined";
    case 51:
        return "Internal error";
    case 91:
        return "Object variable not set";
    case 92:
        return "For loop not initialized";
    case 424:
        return "Object required";
    case 429:
        return "ActiveX component can't create object";
    case 438:
        return "Object doesn't support this property or method";
    case 450:
        return "Wrong number of arguments or invalid property assignment";
    case 451:
        return "Object not a collection";
    case 500:
        return "Variable is undefined";
    case 501:
        return "Illegal assignment";
    case 505:
        return "Invalid or unqualified reference";
    case 506:
        return "Class not defined";
    case TimeoutErrorNumber:
        return "Script ran out of time";
    case 1001:
        return "Out of memory";
    case 1002:
        return "Syntax error";
    case 1003:
        return "Expected ':'";
    case 1005:
        return "Expected '('";
    case 1006:
        return "Expected ')'";
    case 1007:
        return "Expected ']'";
    case 1010:
        return "Expected identifier";
    case 1011:
        return "Expected '='";
    case 1012:
        return "Expected 'If'";
    case 1013:
        return "Expected 'To'";
    case 1014:
        return "Expected 'End'";
    case 1015:
        return "Expected 'Function'";
    case 1016:
        return "Expected 'Sub'";
    case 1017:
        return "Expected 'Then'";
    case 1018:
        return "Expected 'Wend'";
    case 1019:
        return "Expected 'Loop'";
    case 1020:
        return "Expected 'Next'";
    case 1021:
        return "Expected 'Case'";
    case 1022:
        return "Expected 'Select'";
    case 1023:
        return "Expected expression";
    case 1024:
        return "Expected statement";
    case 1025:
        return "Expected end of statement";
    case 1026:
        return "Expected integer constant";
    case 1027:
        return "Expected 'While' or 'Until'";
    case 1028:
        return "Expected 'While', 'Until' or end of statement";
    case 1029:
        return "Expected 'With'";
    case 1030:
        return "Identifier too long";
    case 1031:
        return "Invalid number";
    case 1032:
        return "Invalid character";
    case 1033:
        return "Unterminated string constant";
    case 1037:
        return "Invalid use of 'Me' keyword";
    case 1038:
        return "'loop' without 'do'";
    case 1039:
        return "Invalid 'exit' statement";
    case 1040:
        return "Invalid 'for' loop control variable";
    case 1041:
        return "Name redefined";
    case 1042:
        return "Must be first statement on the line";
    case 1044:
        return "Cannot use parentheses when calling a Sub";
    case 1045:
        return "Expected literal constant";
    case 1046:
        return "Expected 'In'";
    case 1047:
        return "Expected 'Class'";
    case 1048:
        return "Must be defined inside a Class";
    case 1049:
        return "Expected Let or Set or Get in property declaration";
    case 1050:
        return "Expected 'Property'";
    case 1052:
        return "Cannot have multiple default property/method in a Class";
    case 1053:
        return "Class initialize or terminate do not have arguments";
    case 1054:
        return "Property Set or Let must have at least one argument";
    case 1055:
        return "Unexpected 'Next'";
    case 1057:
        return "'Default' specification must also specify 'Public'";
    case 1058:
        return "'Default' specification can only be on Property Get";
    case 1059:
        return "Nesting too deep";
    default:
        return RuntimeError::standardDescription(n);
    }
}

std::string describe(const RuntimeError& e) {
    std::string d = e.description();
    // The time-out text belongs to the engine's own abort; a script raising 1000 keeps the generic one.
    if (e.number() == TimeoutErrorNumber && !d.empty()) return d;
    if (d.empty() || d == RuntimeError::standardDescription(e.number())) return errorDescription(e.number());
    return d;
}

} // namespace tvk::script
