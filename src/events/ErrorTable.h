#pragma once

#include <span>
#include <string_view>

// Every error number the program raises, in one list: its name in code, its number and its standard
// text. Scripts and users see the numbers and texts, so neither may change. The list makes the
// constants err::Name and the table behind err::describe; a number written twice fails to compile.
//
// An empty text: the number has no standard text of its own (the generic one stands for it), and
// the code that raises it gives its own description. A fourth column holds the wording scripts see
// where it differs from the program's.
//
// clang-format off
#define TVK_ERROR_TABLE(X)                                                                                  \
    /* Runtime errors */                                                                                    \
    X(InvalidCall,               5,     "Invalid procedure call or argument")                               \
    X(Overflow,                  6,     "Overflow")                                                         \
    X(OutOfMemory,               7,     "Out of memory")                                                    \
    X(SubscriptOutOfRange,       9,     "Subscript out of range")                                           \
    X(ArrayLocked,               10,    "This array is fixed or temporarily locked")                        \
    X(DivisionByZero,            11,    "Division by zero")                                                 \
    X(TypeMismatch,              13,    "Type mismatch")                                                    \
    X(OutOfStringSpace,          14,    "Out of string space")                                              \
    X(OutOfStackSpace,           28,    "Out of stack space")                                               \
    X(ProcedureNotDefined,       35,    "Sub or Function not defined")                                      \
    X(InternalError,             51,    "Internal error")                                                   \
    X(BadFileName,               52,    "Bad file name or number")                                          \
    X(FileNotFound,              53,    "File not found")                                                   \
    X(BadFileMode,               54,    "")                                                                 \
    X(DeviceIO,                  57,    "Device I/O error")                                                 \
    X(DiskFull,                  61,    "Disk full")                                                        \
    X(InputPastEnd,              62,    "")                                                                 \
    X(BadRecordNumber,           63,    "")                                                                 \
    X(PermissionDenied,          70,    "Permission denied")                                                \
    X(PathFileAccess,            75,    "Path/File access error")                                           \
    X(PathNotFound,              76,    "Path not found")                                                   \
    X(ObjectNotSet,              91,    "Object variable or With block variable not set",                   \
                                        "Object variable not set")                                          \
    X(ForLoopNotInitialized,     92,    "For loop not initialized")                                         \
    X(InvalidPatternString,      93,    "")                                                                 \
    X(InvalidUseOfNull,          94,    "Invalid use of Null")                                              \
    X(InvalidFileFormat,         321,   "Invalid file format")                                              \
    X(InvalidPropertyValue,      380,   "")                                                                 \
    X(InvalidPropertyArrayIndex, 381,   "")                                                                 \
    X(ObjectRequired,            424,   "Object required")                                                  \
    X(CannotCreateObject,        429,   "ActiveX component can't create object")                            \
    X(NoAutomation,              430,   "")                                                                 \
    X(NoSuchMember,              438,   "Object doesn't support this property or method")                   \
    X(ActionNotSupported,        445,   "")                                                                 \
    X(WrongArgumentCount,        450,   "Wrong number of arguments or invalid property assignment")         \
    X(NotACollection,            451,   "Object not a collection")                                          \
    X(KeyExists,                 457,   "")                                                                 \
    X(VariableUndefined,         500,   "Variable is undefined")                                            \
    X(IllegalAssignment,         501,   "Illegal assignment")                                               \
    X(InvalidReference,          505,   "Invalid or unqualified reference")                                 \
    X(ClassNotDefined,           506,   "Class not defined")                                                \
    /* The script engine's abort when a call runs out of its time budget */                                 \
    X(ScriptTimeout,             1000,  "Script ran out of time")                                           \
    /* Compile errors */                                                                                    \
    X(CompileOutOfMemory,        1001,  "Out of memory")                                                    \
    X(SyntaxError,               1002,  "Syntax error")                                                     \
    X(ExpectedColon,             1003,  "Expected ':'")                                                     \
    X(ExpectedLParen,            1005,  "Expected '('")                                                     \
    X(ExpectedRParen,            1006,  "Expected ')'")                                                     \
    X(ExpectedRBracket,          1007,  "Expected ']'")                                                     \
    X(ExpectedIdentifier,        1010,  "Expected identifier")                                              \
    X(ExpectedEquals,            1011,  "Expected '='")                                                     \
    X(ExpectedIf,                1012,  "Expected 'If'")                                                    \
    X(ExpectedTo,                1013,  "Expected 'To'")                                                    \
    X(ExpectedEnd,               1014,  "Expected 'End'")                                                   \
    X(ExpectedFunction,          1015,  "Expected 'Function'")                                              \
    X(ExpectedSub,               1016,  "Expected 'Sub'")                                                   \
    X(ExpectedThen,              1017,  "Expected 'Then'")                                                  \
    X(ExpectedWend,              1018,  "Expected 'Wend'")                                                  \
    X(ExpectedLoop,              1019,  "Expected 'Loop'")                                                  \
    X(ExpectedNext,              1020,  "Expected 'Next'")                                                  \
    X(ExpectedCase,              1021,  "Expected 'Case'")                                                  \
    X(ExpectedSelect,            1022,  "Expected 'Select'")                                                \
    X(ExpectedExpression,        1023,  "Expected expression")                                              \
    X(ExpectedStatement,         1024,  "Expected statement")                                               \
    X(ExpectedEndOfStatement,    1025,  "Expected end of statement")                                        \
    X(ExpectedInteger,           1026,  "Expected integer constant")                                        \
    X(ExpectedWhileOrUntil,      1027,  "Expected 'While' or 'Until'")                                      \
    X(ExpectedWhileUntilOrEnd,   1028,  "Expected 'While', 'Until' or end of statement")                    \
    X(ExpectedWith,              1029,  "Expected 'With'")                                                  \
    X(IdentifierTooLong,         1030,  "Identifier too long")                                              \
    X(InvalidNumber,             1031,  "Invalid number")                                                   \
    X(InvalidCharacter,          1032,  "Invalid character")                                                \
    X(UnterminatedString,        1033,  "Unterminated string constant")                                     \
    X(InvalidMe,                 1037,  "Invalid use of 'Me' keyword")                                      \
    X(LoopWithoutDo,             1038,  "'loop' without 'do'")                                              \
    X(InvalidExit,               1039,  "Invalid 'exit' statement")                                         \
    X(InvalidForVariable,        1040,  "Invalid 'for' loop control variable")                              \
    X(NameRedefined,             1041,  "Name redefined")                                                   \
    X(MustBeFirstStatement,      1042,  "Must be first statement on the line")                              \
    X(ParenthesesOnSubCall,      1044,  "Cannot use parentheses when calling a Sub")                        \
    X(ExpectedLiteral,           1045,  "Expected literal constant")                                        \
    X(ExpectedIn,                1046,  "Expected 'In'")                                                    \
    X(ExpectedClass,             1047,  "Expected 'Class'")                                                 \
    X(OutsideClass,              1048,  "Must be defined inside a Class")                                   \
    X(ExpectedPropertyKind,      1049,  "Expected Let or Set or Get in property declaration")               \
    X(ExpectedProperty,          1050,  "Expected 'Property'")                                              \
    X(MultipleDefaults,          1052,  "Cannot have multiple default property/method in a Class")          \
    X(ClassEventArguments,       1053,  "Class initialize or terminate do not have arguments")              \
    X(PropertyWithoutArgument,   1054,  "Property Set or Let must have at least one argument")              \
    X(UnexpectedNext,            1055,  "Unexpected 'Next'")                                                \
    X(DefaultNotPublic,          1057,  "'Default' specification must also specify 'Public'")               \
    X(DefaultNotPropertyGet,     1058,  "'Default' specification can only be on Property Get")              \
    X(NestingTooDeep,            1059,  "Nesting too deep")                                                 \
    /* Regular expression patterns and collections */                                                       \
    X(RegexSyntax,               5017,  "")                                                                 \
    X(RegexUnexpectedQuantifier, 5018,  "")                                                                 \
    X(RegexExpectedBracket,      5019,  "")                                                                 \
    X(RegexExpectedParen,        5020,  "")                                                                 \
    X(RegexInvalidRange,         5021,  "")                                                                 \
    X(ElementNotFound,           32811, "")
// clang-format on

namespace tvk::err {

#define TVK_ERROR_CONSTANT(name, number, ...) inline constexpr int name = number;
TVK_ERROR_TABLE(TVK_ERROR_CONSTANT)
#undef TVK_ERROR_CONSTANT

// The text of an error number that has none of its own.
inline constexpr std::string_view GenericText = "Application-defined or object-defined error";

// Whose wording a text is in: scripts see a few errors worded the way their language has them.
enum class Wording { Program, Script };

// One row of the table.
struct Entry {
    int number;
    std::string_view name;
    std::string_view text;       // empty when the number has no text of its own
    std::string_view scriptText; // empty when scripts see `text`
};

// Every row, in the order of the list.
std::span<const Entry> table();

// The standard text of `number` in `wording`; GenericText for numbers without a text of their own.
std::string_view describe(int number, Wording wording = Wording::Program);

} // namespace tvk::err
