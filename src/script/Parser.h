#pragma once

#include "script/Engine.h"
#include "script/Lexer.h"

namespace tvk::script {

// Recursive-descent parser from source text to a CodeUnit's syntax tree (names unresolved).
// Syntax errors throw ScriptError (compile error, with line and column); nesting deeper than
// MaxNesting is refused the same way instead of exhausting the native stack.
class Parser {
public:
    static constexpr int MaxNesting = 120;
    // Tallest expression tree accepted (a chain "1 + 1 + ..." is as tall as it is long); taller ones
    // are refused with error 28 like deep nesting.
    static constexpr int MaxExprHeight = 1000;

    explicit Parser(std::u16string_view source);
    // Whole program: statements, procedures and classes; optionExplicit reports Option Explicit.
    std::unique_ptr<CodeUnit> parseProgram(bool& optionExplicit);
    // A single expression (Eval).
    ExprPtr parseOnlyExpression();
    // Accepts Me outside a class body: for code Eval and Execute run inside a method of a class.
    void allowMe() { m_meAllowed = true; }

private:
    // ---- tokens ----
    void advance();
    bool isKw(Kw k) const { return m_tok.type == Tok::Word && m_tok.kw == k; }
    bool accept(Tok t);
    bool acceptKw(Kw k);
    void expect(Tok t, int error);
    void expectKw(Kw k, int error);
    bool atEndOfStatement() const { return m_tok.type == Tok::Newline || m_tok.type == Tok::End; }
    void endOfStatement();
    void endOfStatementOrEnd();
    void skipNewlines();
    std::u16string identifier();
    [[noreturn]] void fail(int number) const;
    [[noreturn]] void failAt(int number, const Token& t) const;
    Pos pos() const { return {m_tok.line, m_tok.col}; }
    struct Nest {
        Parser& p;
        explicit Nest(Parser& parser);
        ~Nest() { --p.m_depth; }
    };

    // ---- statements ----
    void parseBlock(Block& out, bool inProc, bool singleLine = false);
    bool atBlockEnd() const;
    StmtPtr parseStatement(bool inProc, bool singleLine);
    ProcKind procedureKind();
    void parseProcedure(ProcKind kind, bool isPublic, bool isDefault, ClassDef* cls);
    void parseClass();
    StmtPtr parseDecl(DeclStmt::Kind kind);
    StmtPtr parseIf(bool inProc);
    StmtPtr parseFor(bool inProc);
    StmtPtr parseDo(bool inProc);
    StmtPtr parseWhile(bool inProc);
    StmtPtr parseSelect(bool inProc);
    StmtPtr parseWith(bool inProc);
    StmtPtr parseExit();
    StmtPtr parseOnError();
    StmtPtr parseCallOrAssign(bool explicitCall);

    // ---- expressions, lowest precedence first ----
    ExprPtr parseExpr();
    // Binary operators from `minLevel` up (levels in Parser.cpp), climbing by precedence.
    ExprPtr parseBinary(int minLevel);
    ExprPtr parseNot();
    ExprPtr parseUnary();
    ExprPtr parsePower();
    ExprPtr parsePostfix(bool statementStart);
    ExprPtr parsePrimary(bool statementStart);
    void parseArgs(ExprList& args);
    // Sets e's height from its children's; error 28 beyond MaxExprHeight.
    ExprPtr measured(ExprPtr e) const;

    Lexer m_lexer;
    Token m_tok;
    int m_depth = 0;
    CodeUnit* m_unit = nullptr;
    ClassDef* m_class = nullptr;
    bool m_meAllowed = false;
    int m_withDepth = 0;
    int m_forDepth = 0, m_doDepth = 0;
    ProcKind m_procKind = ProcKind::Sub;
    bool m_inProc = false;
    bool m_procRunsExecute = false; // the procedure being parsed names Execute
    Pos m_lastArgsParen;            // the "(" of the argument list parsePostfix opened last
    Pos m_argsParen;                // a "(" at statement start that begins the arguments, not a list
};

} // namespace tvk::script
