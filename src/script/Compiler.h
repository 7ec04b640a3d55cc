#pragma once

#include "script/Engine.h"

#include <unordered_map>

namespace tvk::script {

// Resolves a parsed unit: declares its globals, procedures and classes in the engine, binds every
// name to a slot (local, global, field), constant, procedure, builtin or member, and replaces the
// parser's generic nodes by the resolved kinds. Name errors found here throw ScriptError.
class Compiler {
public:
    // `scope` is the running frame for Execute/Eval inside a procedure, nullptr for global code.
    Compiler(Engine& engine, bool optionExplicit, const Frame* scope);

    void compileUnit(CodeUnit& unit);
    void compileExpression(ExprPtr& e);

private:
    struct ProcScope {
        ProcDef* proc = nullptr;            // being compiled (new locals may be added)
        const ProcDef* fixedProc = nullptr; // Execute/Eval inside a running procedure (no new locals)
        ClassDef* cls = nullptr;
        std::unordered_map<std::u16string, int> locals;
        std::unordered_map<std::u16string, Value> consts;
        std::unordered_map<std::u16string, int> implicitLocals; // fallback slots of unbound names
        std::vector<VarRef> with;
    };

    void declareGlobals(CodeUnit& unit);
    void collectDims(Block& b, bool global);
    void compileProc(ProcDef& proc, ClassDef* cls);
    int newLocal(const std::u16string& lowerName);
    VarRef newTemp();
    Value constValue(ExprPtr& e);

    void declareDims(DeclStmt& d, bool global);
    void block(Block& b);
    // Resolves one statement and appends what it becomes to `out`, by kind below.
    void stmt(StmtPtr& s, Block& out);
    void declaration(DeclStmt& d, Block& out);
    void assignment(AssignStmt& a);
    StmtPtr variableAssignment(StmtPtr& s);
    void ifStatement(IfStmt& i);
    void forStatement(ForStmt& f);
    void selectStatement(SelectStmt& sel);
    void withStatement(WithStmt& w);
    void expr(ExprPtr& e);
    void args(ExprList& a);
    ExprPtr resolveName(NameExpr& n);
    ExprPtr resolveTarget(ExprPtr& e, int errorIfNotVariable);
    [[noreturn]] void fail(int number, Pos p) const;
    static bool isPure(const Expr& e);
    static void findAppendPieces(AssignStmt& a);
    // Execute (not ExecuteGlobal) running inside a procedure: new names belong to that call.
    bool executeInProcedure() const { return m_scope.fixedProc && !m_scope.proc; }

    Engine& m_eng;
    bool m_explicit;
    const Frame* m_frame;
    ProcScope m_scope;
    std::unordered_map<std::u16string, bool> m_unitGlobals; // names Dim'd by this unit, for 1041
};

} // namespace tvk::script
