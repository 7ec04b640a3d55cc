#pragma once

#include "script/Builtins.h"
#include "script/Value.h"

#include <memory>
#include <string>
#include <vector>

// The syntax tree. The parser builds it with names as written; the compiler resolves every name
// to a slot, procedure, builtin or member and swaps in the resolved node kinds below; the
// interpreter (Interpreter.cpp) then runs the resolved tree.
namespace tvk::script {

struct Frame;
struct ProcDef;
struct GlobalEntry;
struct ClassDef;

struct Pos {
    int line = 0, col = 0;
};

// Where a variable lives: a local slot of the running procedure, a global slot, a field of Me, or
// the variable a ByRef parameter stands for (index: the parameter's position).
struct VarRef {
    enum Kind : uint8_t { Local, Global, Field, Param } kind = Local;
    int index = 0;
};

enum class ExprKind : uint8_t {
    Literal,
    Name,
    Member,
    Me,
    New,
    Unary,
    Binary,
    Paren,
    // Resolved forms of Name:
    Var,
    IndexVar,
    CallProc,
    CallBuiltin,
    SelfMember,
    Dynamic,
    Concat,
    Raise
};

struct Expr {
    explicit Expr(ExprKind k, Pos p) : kind(k), pos(p) {}
    virtual ~Expr() = default;
    virtual Value eval(Frame& f) = 0;
    // The value, by reference when it lives in a variable slot (no copy), else computed into tmp.
    virtual const Value& ref(Frame& f, Value& tmp) {
        tmp = eval(f);
        return tmp;
    }
    // Assignment to this expression (Let when isSet is false); non-targets raise 501.
    virtual void assign(Frame& f, Value v, bool isSet);
    // The variable slot for ByRef passing, or nullptr when the expression is not a plain variable.
    virtual Value* slot(Frame&) { return nullptr; }

    ExprKind kind;
    // Levels of the tree from this node down, counted by the parser, which refuses trees taller than
    // Parser::MaxExprHeight: compiling, running and freeing a tree recurse at most that deep.
    uint16_t height = 1;
    Pos pos;
};
using ExprPtr = std::unique_ptr<Expr>;
using ExprList = std::vector<ExprPtr>;

enum class Op : uint8_t {
    Neg,
    Not,
    Pow,
    Mul,
    Div,
    IntDiv,
    Mod,
    Add,
    Sub,
    Cat,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Is,
    And,
    Or,
    Xor,
    Eqv,
    Imp
};

// ---- Parser's node kinds ----
struct LiteralExpr final : Expr {
    LiteralExpr(Value v, Pos p) : Expr(ExprKind::Literal, p), value(std::move(v)) {}
    Value eval(Frame&) override { return value; }
    const Value& ref(Frame&, Value&) override { return value; }
    Value value;
};

// An identifier, optionally with arguments: a variable, array element, call or constant.
struct NameExpr final : Expr {
    NameExpr(std::u16string n, Pos p) : Expr(ExprKind::Name, p), name(std::move(n)) {}
    Value eval(Frame&) override;
    std::u16string name;
    ExprList args;
    bool hasParens = false;
};

// base.Name(args); base null inside With (".Name").
struct MemberExpr final : Expr {
    MemberExpr(ExprPtr b, std::u16string n, Pos p)
        : Expr(ExprKind::Member, p), base(std::move(b)), name(std::move(n)) {}
    Value eval(Frame& f) override;
    void assign(Frame& f, Value v, bool isSet) override;
    ExprPtr base;
    std::u16string name;
    ExprList args;
    bool hasParens = false;
    VarRef withSlot; // the With object, when base is null
    // Call-site cache: the member table last seen and the id of the name in it.
    const void* cachedTable = nullptr;
    int cachedId = -1;
    bool cachedClass = false; // the cached table is a script class's
    bool onMe = false;        // Me.Name: private members reachable
};

struct MeExpr final : Expr {
    explicit MeExpr(Pos p) : Expr(ExprKind::Me, p) {}
    Value eval(Frame& f) override;
};

struct NewExpr final : Expr {
    NewExpr(std::u16string n, Pos p) : Expr(ExprKind::New, p), name(std::move(n)) {}
    Value eval(Frame& f) override;
    std::u16string name;
    ClassDef* cls = nullptr;         // resolved script class
    ObjectFactory factory = nullptr; // or a library class
};

struct UnaryExpr final : Expr {
    UnaryExpr(Op o, ExprPtr e, Pos p) : Expr(ExprKind::Unary, p), op(o), operand(std::move(e)) {}
    Value eval(Frame& f) override;
    Op op;
    ExprPtr operand;
};

struct BinaryExpr final : Expr {
    using EvalFn = Value (*)(BinaryExpr& self, Frame& f);
    using StoreFn = void (*)(BinaryExpr& self, Frame& f, Value& target);
    BinaryExpr(Op o, ExprPtr l, ExprPtr r, Pos p);
    Value eval(Frame& f) override { return evaluate(*this, f); }
    Op op;
    ExprPtr lhs, rhs;
    EvalFn evaluate; // the operator's own evaluation, chosen once (no dispatch on op per call)
    // Evaluation stored into a variable (Let; 10 for a fixed array), where the shapes have one.
    StoreFn store = nullptr;
    bool rhsPure = false;        // rhs cannot change lhs's variable, so lhs may be read by reference
    bool literalOperand = false; // a comparison with a literal side: text converts to a number
    // Operands read directly, without a virtual call: a local slot, a literal or another binary
    // operation (set by the compiler).
    enum class Direct : uint8_t { None, Local, Constant, Nested, LocalElement, Param, Field };
    Direct lhsDirect = Direct::None, rhsDirect = Direct::None;
    int lhsSlot = 0, rhsSlot = 0;
    // Once the operands are resolved: an evaluation made for their shapes where there is one.
    void specialise();
};

// (expr): forces by-value passing.
struct ParenExpr final : Expr {
    ParenExpr(ExprPtr e, Pos p) : Expr(ExprKind::Paren, p), inner(std::move(e)) {}
    Value eval(Frame& f) override { return inner->eval(f); }
    ExprPtr inner;
};

// ---- Resolved kinds ----
struct VarExpr final : Expr {
    VarExpr(VarRef r, Pos p) : Expr(ExprKind::Var, p), var(r) {}
    Value eval(Frame& f) override;
    const Value& ref(Frame& f, Value& tmp) override;
    void assign(Frame& f, Value v, bool isSet) override;
    Value* slot(Frame& f) override;
    VarRef var;
    bool isReturnSlot = false; // the function's own name inside it
    bool readOnly = false;     // a named object: scripts cannot replace it (501)
};

// var(args): array element, or default member of the object held.
struct IndexVarExpr final : Expr {
    IndexVarExpr(VarRef r, ExprList a, Pos p) : Expr(ExprKind::IndexVar, p), var(r), args(std::move(a)) {}
    Value eval(Frame& f) override;
    void assign(Frame& f, Value v, bool isSet) override;
    VarRef var;
    ExprList args;
};

// A call of a global procedure, bound to the procedure's name entry rather than to one definition:
// code that ExecuteGlobal runs later may define the procedure again, and earlier calls run the new one.
struct CallProcExpr final : Expr {
    CallProcExpr(const GlobalEntry* e, ExprList a, Pos p) : Expr(ExprKind::CallProc, p), entry(e), args(std::move(a)) {}
    Value eval(Frame& f) override;
    const GlobalEntry* entry;
    ExprList args;
};

struct CallBuiltinExpr final : Expr {
    CallBuiltinExpr(const Builtin* b, ExprList a, Pos p)
        : Expr(ExprKind::CallBuiltin, p), builtin(b), args(std::move(a)) {}
    Value eval(Frame& f) override;
    const Builtin* builtin;
    ExprList args;
};

// A member of Me named without "Me." inside a class: method or property.
struct SelfMemberExpr final : Expr {
    SelfMemberExpr(int id, ExprList a, Pos p) : Expr(ExprKind::SelfMember, p), memberId(id), args(std::move(a)) {}
    Value eval(Frame& f) override;
    void assign(Frame& f, Value v, bool isSet) override;
    int memberId;
    ExprList args;
};

// A name the compiler could not bind: looked up among the globals when run (objects added after
// the code, globals of later code), else the procedure's implicit local.
struct DynamicExpr final : Expr {
    DynamicExpr(std::u16string n, ExprList a, bool parens, Pos p)
        : Expr(ExprKind::Dynamic, p), name(std::move(n)), args(std::move(a)), hasParens(parens) {}
    Value eval(Frame& f) override;
    void assign(Frame& f, Value v, bool isSet) override;
    Value* slot(Frame& f) override;
    Value* variable(Frame& f); // the variable the name stands for, or nullptr (procedure, unknown)
    std::u16string name;       // lower-cased
    std::u16string written;    // as the script spells it (error messages)
    ExprList args;
    bool hasParens;
    int fallbackLocal = -1;    // implicit local slot of a procedure
    bool createGlobal = false; // global code: an unknown name becomes a global variable
    bool frameLocal = false;   // Execute in a procedure: an unknown name becomes a variable of that call
    bool frameFirst = false;   // variables Execute declared in the running call come before globals
    int cachedGlobal = -1;
    bool cachedReadOnly = false; // the global found is a named object or constant
};

// An expression the language accepts but that always fails when run ("x = Randomize(0)",
// ".name" outside With): error `number`, which On Error Resume Next can catch.
struct RaiseExpr final : Expr {
    RaiseExpr(int n, Pos p) : Expr(ExprKind::Raise, p), number(n) {}
    Value eval(Frame&) override;
    void assign(Frame&, Value, bool) override;
    int number;
};

// ---- Statements ----
enum class Flow : uint8_t { Normal, ExitFor, ExitDo, ExitProc };

// Which statement a node is, so passes over the tree can switch on it.
enum class StmtKind : uint8_t {
    Call,
    Assign,
    Dim,
    Erase,
    If,
    For,
    ForEach,
    Do,
    Select,
    With,
    Exit,
    OnError,
    Decl,
    Randomize,
    AssignVar,
    StoreLocal
};

struct Stmt {
    Stmt(StmtKind k, Pos p) : kind(k), pos(p) {}
    virtual ~Stmt() = default;
    virtual Flow exec(Frame& f) = 0;
    StmtKind kind;
    Pos pos;
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

// Runs the statements in order; errors go through the frame's On Error mode.
Flow execBlock(const Block& b, Frame& f);
// The error the statement `s` raised, from inside a catch block: recorded in Err under On Error
// Resume Next, else thrown on with the statement's position.
void statementFailed(const Stmt& s, Frame& f);

// Runs one statement; what it raises goes through statementFailed (anything else passes on).
[[gnu::always_inline]] inline Flow execOne(const Stmt& s, Frame& f) {
    try {
        return const_cast<Stmt&>(s).exec(f);
    } catch (...) {
        statementFailed(s, f);
    }
    return Flow::Normal;
}

// A body: one statement (the usual case) runs without the block loop.
[[gnu::always_inline]] inline Flow execBody(const Block& b, Frame& f) {
    return b.size() == 1 ? execOne(*b[0], f) : execBlock(b, f);
}

struct CallStmt final : Stmt {
    CallStmt(ExprPtr c, Pos p) : Stmt(StmtKind::Call, p), call(std::move(c)) {}
    Flow exec(Frame& f) override;
    ExprPtr call;
};

struct AssignStmt final : Stmt {
    AssignStmt(ExprPtr t, ExprPtr v, bool set, Pos p)
        : Stmt(StmtKind::Assign, p), target(std::move(t)), value(std::move(v)), isSet(set) {}
    Flow exec(Frame& f) override;
    ExprPtr target, value;
    bool isSet;
    // s = s & x & y on a variable: the pieces x, y (in order), appended to s's text when unshared.
    static constexpr size_t MaxAppendPieces = 8;
    std::vector<Expr*> appendPieces;
};

// variable = value, the most common statement: a Let to a resolved variable (local, parameter, field
// of Me or global; the compiler makes it from an AssignStmt), without the general target handling.
struct VarAssignStmt final : Stmt {
    VarAssignStmt(VarRef t, ExprPtr v, Pos p) : Stmt(StmtKind::AssignVar, p), var(t), value(std::move(v)) {}
    Flow exec(Frame& f) override;
    VarRef var;
    ExprPtr value;
};

// local = operation with a stored form (BinaryExpr::store): the operation writes the variable itself.
struct LocalStoreStmt final : Stmt {
    LocalStoreStmt(int s, ExprPtr v, Pos p)
        : Stmt(StmtKind::StoreLocal, p), slot(s), value(std::move(v)), op(static_cast<BinaryExpr*>(value.get())) {}
    Flow exec(Frame& f) override;
    int slot;
    ExprPtr value;
    BinaryExpr* op; // value, whose store is set
};

// Dim/ReDim of one variable with bounds (Dim without bounds makes no statement).
struct DimStmt final : Stmt {
    DimStmt(Pos p) : Stmt(StmtKind::Dim, p) {}
    Flow exec(Frame& f) override;
    ExprPtr target; // resolved to a variable
    ExprList bounds;
    bool redim = false, preserve = false;
};

struct EraseStmt final : Stmt {
    EraseStmt(ExprPtr t, Pos p) : Stmt(StmtKind::Erase, p), target(std::move(t)) {}
    Flow exec(Frame& f) override;
    ExprPtr target;
};

struct IfStmt final : Stmt {
    IfStmt(Pos p) : Stmt(StmtKind::If, p) {}
    Flow exec(Frame& f) override;
    std::vector<std::pair<ExprPtr, Block>> branches;
    Block elseBlock;
};

struct ForStmt final : Stmt {
    ForStmt(Pos p) : Stmt(StmtKind::For, p) {}
    Flow exec(Frame& f) override;
    ExprPtr var; // resolved to a variable
    ExprPtr from, to, step;
    Block body;
};

struct ForEachStmt final : Stmt {
    ForEachStmt(Pos p) : Stmt(StmtKind::ForEach, p) {}
    Flow exec(Frame& f) override;
    ExprPtr var;
    ExprPtr collection;
    Block body;
};

// Do [While|Until c] ... Loop [While|Until c], and While ... Wend.
struct DoStmt final : Stmt {
    DoStmt(Pos p) : Stmt(StmtKind::Do, p) {}
    Flow exec(Frame& f) override;
    ExprPtr cond;
    bool condAtEnd = false, until = false;
    Block body;
};

struct CaseItem {
    enum Kind : uint8_t { Equal, Range, Compare } kind = Equal;
    Op op = Op::Eq; // for Is <op> value
    ExprPtr a, b;
};

struct SelectStmt final : Stmt {
    SelectStmt(Pos p) : Stmt(StmtKind::Select, p) {}
    Flow exec(Frame& f) override;
    ExprPtr subject;
    std::vector<std::pair<std::vector<CaseItem>, Block>> cases;
    Block elseBlock;
    bool hasElse = false;
    // When every item is "Case <integer literal>": (value, index of its case) in order, so that an
    // Integer or Long subject is dispatched by a scan of numbers.
    std::vector<std::pair<int64_t, uint32_t>> integerCases;
    bool onlyIntegerCases = false;
};

struct WithStmt final : Stmt {
    WithStmt(Pos p) : Stmt(StmtKind::With, p) {}
    Flow exec(Frame& f) override;
    ExprPtr object;
    VarRef slot;
    Block body;
};

struct ExitStmt final : Stmt {
    ExitStmt(Flow k, Pos p) : Stmt(StmtKind::Exit, p), flow(k) {}
    Flow exec(Frame&) override { return flow; }
    Flow flow;
};

struct OnErrorStmt final : Stmt {
    OnErrorStmt(bool rn, Pos p) : Stmt(StmtKind::OnError, p), resumeNext(rn) {}
    Flow exec(Frame& f) override;
    bool resumeNext;
};

// Dim/Public/Private/Const/ReDim as parsed; the compiler declares the names and replaces the
// statement by DimStmts (or nothing).
struct DeclStmt final : Stmt {
    enum Kind : uint8_t { Dim, Const, ReDim } declKind = Dim;
    struct Item {
        std::u16string name;
        Pos pos;
        bool hasBounds = false;
        ExprList bounds;
        ExprPtr value; // Const
    };
    DeclStmt(Pos p) : Stmt(StmtKind::Decl, p) {}
    Flow exec(Frame&) override { return Flow::Normal; }
    std::vector<Item> items;
    bool preserve = false;
};

// Randomize [seed]: calls the library's Randomize builtin.
struct RandomizeStmt final : Stmt {
    RandomizeStmt(Pos p) : Stmt(StmtKind::Randomize, p) {}
    Flow exec(Frame& f) override;
    ExprPtr seed;
    const Builtin* builtin = nullptr;
};

// ---- Declarations ----
struct Param {
    std::u16string name;
    bool byRef = true;
};

enum class ProcKind : uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct ProcDef {
    std::u16string name;
    ProcKind kind = ProcKind::Sub;
    bool isPublic = true, isDefault = false;
    std::vector<Param> params;
    // Local slot 0 holds the return value; parameters follow from slot 1.
    std::vector<std::u16string> localNames; // lower-cased, index = slot
    int localCount = 1;
    Block body;
    ClassDef* owner = nullptr;
    Pos pos;
    // Names Execute: variables that Execute declares in a call may hide globals the body names.
    bool runsExecute = false;
    int code = 0; // the AddCode text that defined it (error reports)
};

struct FieldDef {
    std::u16string name;
    bool isPublic = true;
    std::vector<int32_t> dims; // fixed array bounds (UBound each), empty for a scalar
    bool isArray = false;
};

// One public or private name of a class: a field or a method/property group.
struct MemberDef {
    std::u16string name;
    bool isPublic = true;
    int field = -1;
    ProcDef* method = nullptr; // Sub or Function
    ProcDef* get = nullptr;
    ProcDef* let = nullptr;
    ProcDef* set = nullptr;
};

struct ClassDef {
    std::u16string name;
    std::vector<FieldDef> fields;
    std::vector<MemberDef> members; // member id = index + 1
    std::vector<std::unique_ptr<ProcDef>> procs;
    int defaultMember = -1; // member id or -1
    ProcDef* initialize = nullptr;
    ProcDef* terminate = nullptr;
    int memberIndex(std::u16string_view name) const; // id or -1
};

} // namespace tvk::script
