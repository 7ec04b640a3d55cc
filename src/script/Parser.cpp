#include "script/Parser.h"

#include "script/Coerce.h"
#include "script/ScriptError.h"

namespace tvk::script {

// The comparison operator a token stands for ("=", "<>", "<", "<=", ">", ">=").
static bool comparisonOf(Tok t, Op& op) {
    switch (t) {
    case Tok::Eq:
        op = Op::Eq;
        return true;
    case Tok::Ne:
        op = Op::Ne;
        return true;
    case Tok::Lt:
        op = Op::Lt;
        return true;
    case Tok::Le:
        op = Op::Le;
        return true;
    case Tok::Gt:
        op = Op::Gt;
        return true;
    case Tok::Ge:
        op = Op::Ge;
        return true;
    default:
        return false;
    }
}

// Binary operator levels, lowest precedence first; Not is a prefix between And and the comparisons.
enum BinaryLevel : int {
    ImpLevel,
    EqvLevel,
    XorLevel,
    OrLevel,
    AndLevel,
    NotLevel,
    CompareLevel,
    ConcatLevel,
    AddLevel,
    ModLevel,
    IntDivLevel,
    MulLevel,
    NoLevel
};

// The level and operator of a token that is a binary operator; NoLevel for any other token.
static int binaryLevelOf(const Token& t, Op& op) {
    if (comparisonOf(t.type, op)) return CompareLevel;
    switch (t.type) {
    case Tok::Amp:
        op = Op::Cat;
        return ConcatLevel;
    case Tok::Plus:
        op = Op::Add;
        return AddLevel;
    case Tok::Minus:
        op = Op::Sub;
        return AddLevel;
    case Tok::Backslash:
        op = Op::IntDiv;
        return IntDivLevel;
    case Tok::Star:
        op = Op::Mul;
        return MulLevel;
    case Tok::Slash:
        op = Op::Div;
        return MulLevel;
    case Tok::Word:
        break;
    default:
        return NoLevel;
    }
    switch (t.kw) {
    case Kw::Imp:
        op = Op::Imp;
        return ImpLevel;
    case Kw::Eqv:
        op = Op::Eqv;
        return EqvLevel;
    case Kw::Xor:
        op = Op::Xor;
        return XorLevel;
    case Kw::Or:
        op = Op::Or;
        return OrLevel;
    case Kw::And:
        op = Op::And;
        return AndLevel;
    case Kw::Is:
        op = Op::Is;
        return CompareLevel;
    case Kw::Mod:
        op = Op::Mod;
        return ModLevel;
    default:
        return NoLevel;
    }
}

Parser::Parser(std::u16string_view source) : m_lexer(source) {
    advance();
}

Parser::Nest::Nest(Parser& parser) : p(parser) {
    if (++p.m_depth > MaxNesting) p.fail(err::OutOfStackSpace);
}

// ======================================================================
// Tokens
// ======================================================================

void Parser::advance() {
    m_tok = m_lexer.next();
}

bool Parser::accept(Tok t) {
    if (m_tok.type != t) return false;
    advance();
    return true;
}

bool Parser::acceptKw(Kw k) {
    if (!isKw(k)) return false;
    advance();
    return true;
}

void Parser::expect(Tok t, int error) {
    if (!accept(t)) fail(error);
}

void Parser::expectKw(Kw k, int error) {
    if (!acceptKw(k)) fail(error);
}

void Parser::fail(int number) const {
    failAt(number, m_tok);
}

void Parser::failAt(int number, const Token& t) const {
    throw ScriptError(number, t.line, t.col, true);
}

void Parser::endOfStatement() {
    if (m_tok.type == Tok::End) return;
    if (m_tok.type != Tok::Newline) fail(err::ExpectedEndOfStatement);
    advance();
}

// Statements may end right before "End": "Sub S() x = 1 End Sub", "Else y = 3 End If".
void Parser::endOfStatementOrEnd() {
    if (!isKw(Kw::End)) endOfStatement();
}

void Parser::skipNewlines() {
    while (m_tok.type == Tok::Newline)
        advance();
}

std::u16string Parser::identifier() {
    if (m_tok.type != Tok::Word || Lexer::isReserved(m_tok.kw)) fail(err::ExpectedIdentifier);
    std::u16string s = m_tok.text;
    advance();
    return s;
}

// ======================================================================
// Program and blocks
// ======================================================================

// program := { statement | procedure | class | "Option Explicit" }
std::unique_ptr<CodeUnit> Parser::parseProgram(bool& optionExplicit) {
    auto unit = std::make_unique<CodeUnit>();
    m_unit = unit.get();
    skipNewlines();
    if (isKw(Kw::Option)) {
        advance();
        expectKw(Kw::Explicit, err::SyntaxError);
        optionExplicit = true;
        endOfStatement();
    }
    parseBlock(unit->body, false);
    if (m_tok.type != Tok::End) {
        if (isKw(Kw::Next)) fail(err::UnexpectedNext);
        if (isKw(Kw::Loop)) fail(err::LoopWithoutDo);
        fail(err::ExpectedStatement);
    }
    return unit;
}

ExprPtr Parser::parseOnlyExpression() {
    ExprPtr e = parseExpr();
    if (m_tok.type == Tok::Newline) advance();
    if (m_tok.type != Tok::End) fail(err::ExpectedEndOfStatement);
    return e;
}

bool Parser::atBlockEnd() const {
    if (m_tok.type == Tok::End) return true;
    if (m_tok.type != Tok::Word) return false;
    switch (m_tok.kw) {
    case Kw::End:
    case Kw::Else:
    case Kw::ElseIf:
    case Kw::Case:
    case Kw::Loop:
    case Kw::Next:
    case Kw::Wend:
        return true;
    default:
        return false;
    }
}

// block := { statement newline } until a block-ending word
void Parser::parseBlock(Block& out, bool inProc, bool singleLine) {
    Nest nest(*this);
    for (;;) {
        if (!singleLine)
            skipNewlines();
        else if (m_tok.type == Tok::End || (m_tok.type == Tok::Newline && m_tok.text != u":"))
            return;
        if (atBlockEnd()) return;
        // "End" alone is a block end; Class/Sub/Function/Property definitions start with words
        // handled here at the top level.
        bool isPublic = true, isDefault = false, hadAccess = false;
        if (!inProc && (isKw(Kw::Public) || isKw(Kw::Private))) {
            isPublic = isKw(Kw::Public);
            advance();
            hadAccess = true;
            if (isKw(Kw::Default)) {
                if (!isPublic) fail(err::DefaultNotPublic);
                isDefault = true;
                advance();
            }
            if (!isKw(Kw::Sub) && !isKw(Kw::Function) && !isKw(Kw::Property)) {
                if (isDefault) fail(err::DefaultNotPropertyGet);
                if (isKw(Kw::Const)) {
                    advance();
                    out.push_back(parseDecl(DeclStmt::Const));
                } else {
                    // Public x, Private y: declarations like Dim.
                    out.push_back(parseDecl(DeclStmt::Dim));
                }
                if (!singleLine)
                    endOfStatement();
                else if (m_tok.type == Tok::Newline)
                    return;
                continue;
            }
        }
        if (!inProc && (isKw(Kw::Sub) || isKw(Kw::Function) || isKw(Kw::Property))) {
            if (singleLine) fail(err::ExpectedStatement);
            if (isKw(Kw::Property) && !m_class) fail(err::OutsideClass);
            ProcKind kind = procedureKind();
            if (isDefault && kind != ProcKind::Function && kind != ProcKind::PropertyGet && kind != ProcKind::Sub)
                fail(err::DefaultNotPropertyGet);
            advance();
            parseProcedure(kind, isPublic, isDefault, m_class);
            endOfStatement();
            continue;
        }
        if (hadAccess) fail(err::ExpectedStatement);
        if (!inProc && !m_class && isKw(Kw::Class)) {
            if (singleLine) fail(err::ExpectedStatement);
            parseClass();
            endOfStatement();
            continue;
        }
        if (StmtPtr s = parseStatement(inProc, singleLine)) out.push_back(std::move(s));
        if (singleLine) {
            if (m_tok.type == Tok::Newline && m_tok.text == u":") {
                advance();
                if (isKw(Kw::Else) || m_tok.type == Tok::Newline || m_tok.type == Tok::End) return;
                continue;
            }
            return;
        }
        endOfStatementOrEnd();
    }
}

// kind := "Sub" | "Function" | "Property" ("Get" | "Let" | "Set")   (the last word stays current)
ProcKind Parser::procedureKind() {
    if (isKw(Kw::Sub)) return ProcKind::Sub;
    if (isKw(Kw::Function)) return ProcKind::Function;
    advance(); // Property
    if (isKw(Kw::Get)) return ProcKind::PropertyGet;
    if (isKw(Kw::Let)) return ProcKind::PropertyLet;
    if (isKw(Kw::Set)) return ProcKind::PropertySet;
    fail(err::ExpectedPropertyKind);
}

// procedure := name [ "(" [param {"," param}] ")" ] newline block "End" kind
void Parser::parseProcedure(ProcKind kind, bool isPublic, bool isDefault, ClassDef* cls) {
    auto proc = std::make_unique<ProcDef>();
    proc->pos = pos();
    proc->name = identifier();
    proc->kind = kind;
    proc->isPublic = isPublic;
    proc->isDefault = isDefault;
    proc->owner = cls;
    if (accept(Tok::LParen)) {
        if (!accept(Tok::RParen)) {
            do {
                Param p;
                if (acceptKw(Kw::ByVal))
                    p.byRef = false;
                else
                    acceptKw(Kw::ByRef);
                p.name = identifier();
                if (accept(Tok::LParen)) expect(Tok::RParen, err::ExpectedRParen); // array parameter marker
                proc->params.push_back(std::move(p));
            } while (accept(Tok::Comma));
            expect(Tok::RParen, err::ExpectedRParen);
        }
    }
    if ((kind == ProcKind::PropertyLet || kind == ProcKind::PropertySet) && proc->params.empty())
        fail(err::PropertyWithoutArgument);
    bool savedIn = m_inProc;
    ProcKind savedKind = m_procKind;
    m_inProc = true;
    m_procKind = kind;
    m_procRunsExecute = false;
    if (atEndOfStatement()) endOfStatement(); // else the body starts on the same line
    parseBlock(proc->body, true);
    proc->runsExecute = m_procRunsExecute;
    m_inProc = savedIn;
    m_procKind = savedKind;
    expectKw(Kw::End, err::ExpectedEnd);
    if (kind == ProcKind::Sub)
        expectKw(Kw::Sub, err::ExpectedSub);
    else if (kind == ProcKind::Function)
        expectKw(Kw::Function, err::ExpectedFunction);
    else
        expectKw(Kw::Property, err::ExpectedProperty);

    if (!cls) {
        m_unit->procs.push_back(std::move(proc));
        return;
    }
    ProcDef* raw = proc.get();
    cls->procs.push_back(std::move(proc));
    std::u16string lower = lowerAscii(raw->name);
    if (lower == u"class_initialize" || lower == u"class_terminate") {
        if (!raw->params.empty()) fail(err::ClassEventArguments);
        (lower == u"class_initialize" ? cls->initialize : cls->terminate) = raw;
    }
    int id = cls->memberIndex(raw->name);
    if (id < 0) {
        cls->members.push_back(MemberDef{raw->name, isPublic});
        id = static_cast<int>(cls->members.size());
    }
    MemberDef& m = cls->members[static_cast<size_t>(id - 1)];
    ProcDef** target = nullptr;
    switch (kind) {
    case ProcKind::Sub:
    case ProcKind::Function:
        target = &m.method;
        break;
    case ProcKind::PropertyGet:
        target = &m.get;
        break;
    case ProcKind::PropertyLet:
        target = &m.let;
        break;
    case ProcKind::PropertySet:
        target = &m.set;
        break;
    }
    // A method or property defined again replaces the earlier definition.
    if (m.field >= 0 || (m.method && kind != ProcKind::Sub && kind != ProcKind::Function) ||
        ((kind == ProcKind::Sub || kind == ProcKind::Function) && (m.get || m.let || m.set))) {
        Token at;
        at.line = raw->pos.line;
        at.col = raw->pos.col;
        failAt(err::NameRedefined, at);
    }
    *target = raw;
    if (isDefault) {
        if (cls->defaultMember >= 0 && cls->defaultMember != id) fail(err::MultipleDefaults);
        cls->defaultMember = id;
    }
}

// class := "Class" name newline { member } "End" "Class"
void Parser::parseClass() {
    advance();
    auto cls = std::make_unique<ClassDef>();
    cls->name = identifier();
    endOfStatement();
    m_class = cls.get();
    for (;;) {
        skipNewlines();
        if (isKw(Kw::End)) break;
        bool isPublic = true, isDefault = false;
        if (isKw(Kw::Public) || isKw(Kw::Private)) {
            isPublic = isKw(Kw::Public);
            advance();
            if (isKw(Kw::Default)) {
                if (!isPublic) fail(err::DefaultNotPublic);
                isDefault = true;
                advance();
            }
        } else if (isKw(Kw::Dim)) {
            advance();
        } else if (!isKw(Kw::Sub) && !isKw(Kw::Function) && !isKw(Kw::Property)) {
            fail(err::ExpectedStatement);
        }
        if (isKw(Kw::Sub) || isKw(Kw::Function) || isKw(Kw::Property)) {
            ProcKind kind = procedureKind();
            if (isDefault && (kind == ProcKind::PropertyLet || kind == ProcKind::PropertySet))
                fail(err::DefaultNotPropertyGet);
            advance();
            parseProcedure(kind, isPublic, isDefault, cls.get());
            endOfStatementOrEnd();
            continue;
        }
        if (isDefault) fail(err::DefaultNotPropertyGet);
        // Field declarations: name [ "(" bounds ")" ] { "," ... }
        do {
            FieldDef fd;
            Token nameTok = m_tok;
            fd.name = identifier();
            fd.isPublic = isPublic;
            if (accept(Tok::LParen)) {
                fd.isArray = true;
                if (!accept(Tok::RParen)) {
                    do {
                        if (m_tok.type != Tok::Number) fail(err::ExpectedInteger);
                        fd.dims.push_back(toLong(m_tok.value));
                        advance();
                    } while (accept(Tok::Comma));
                    expect(Tok::RParen, err::ExpectedRParen);
                }
            }
            if (cls->memberIndex(fd.name) >= 0) failAt(err::NameRedefined, nameTok);
            cls->fields.push_back(fd);
            cls->members.push_back(MemberDef{fd.name, isPublic, static_cast<int>(cls->fields.size()) - 1});
        } while (accept(Tok::Comma));
        endOfStatementOrEnd();
    }
    m_class = nullptr;
    expectKw(Kw::End, err::ExpectedEnd);
    expectKw(Kw::Class, err::ExpectedClass);
    m_unit->classes.push_back(std::move(cls));
}

// ======================================================================
// Statements
// ======================================================================

StmtPtr Parser::parseStatement(bool inProc, bool singleLine) {
    Nest nest(*this);
    Pos p = pos();
    if (m_tok.type == Tok::Dot) return parseCallOrAssign(false);
    if (m_tok.type != Tok::Word) fail(err::ExpectedStatement);
    switch (m_tok.kw) {
    case Kw::Dim:
        advance();
        return parseDecl(DeclStmt::Dim);
    case Kw::ReDim:
        advance();
        return parseDecl(DeclStmt::ReDim);
    case Kw::Const:
        advance();
        return parseDecl(DeclStmt::Const);
    case Kw::If:
        return parseIf(inProc);
    case Kw::For:
        return parseFor(inProc);
    case Kw::Do:
        return parseDo(inProc);
    case Kw::While:
        return parseWhile(inProc);
    case Kw::Select:
        return parseSelect(inProc);
    case Kw::With:
        return parseWith(inProc);
    case Kw::Exit:
        return parseExit();
    case Kw::On:
        return parseOnError();
    case Kw::Call:
        advance();
        return parseCallOrAssign(true);
    case Kw::Set: {
        advance();
        ExprPtr target = parsePostfix(true);
        expect(Tok::Eq, err::ExpectedEquals);
        ExprPtr value = parseExpr();
        return std::make_unique<AssignStmt>(std::move(target), std::move(value), true, p);
    }
    case Kw::Let:
        advance();
        return parseCallOrAssign(false);
    case Kw::Erase: {
        advance();
        Pos np = pos();
        auto target = std::make_unique<NameExpr>(identifier(), np);
        return std::make_unique<EraseStmt>(std::move(target), p);
    }
    case Kw::Randomize: {
        advance();
        auto s = std::make_unique<RandomizeStmt>(p);
        if (!atEndOfStatement() && !isKw(Kw::Else)) s->seed = parseExpr();
        return s;
    }
    case Kw::Option:
        fail(err::MustBeFirstStatement);
    case Kw::Class:
        fail(singleLine || inProc ? err::ExpectedStatement : err::ExpectedClass);
    case Kw::Sub:
    case Kw::Function:
    case Kw::Public:
    case Kw::Private:
        fail(err::ExpectedStatement);
    case Kw::Me:
        return parseCallOrAssign(false);
    default:
        break;
    }
    if (Lexer::isReserved(m_tok.kw)) fail(err::ExpectedStatement);
    return parseCallOrAssign(false);
}

// decl := name [ "(" [bounds] ")" ] { "," name ... }   |   const := name "=" literal { "," ... }
StmtPtr Parser::parseDecl(DeclStmt::Kind kind) {
    auto d = std::make_unique<DeclStmt>(pos());
    d->declKind = kind;
    if (kind == DeclStmt::ReDim && acceptKw(Kw::Preserve)) d->preserve = true;
    do {
        DeclStmt::Item item;
        item.pos = pos();
        item.name = identifier();
        if (kind == DeclStmt::Const) {
            expect(Tok::Eq, err::ExpectedEquals);
            item.value = parseExpr();
        } else if (accept(Tok::LParen)) {
            item.hasBounds = true;
            if (!accept(Tok::RParen)) {
                do
                    item.bounds.push_back(parseExpr());
                while (accept(Tok::Comma));
                expect(Tok::RParen, err::ExpectedRParen);
            }
            if (kind == DeclStmt::ReDim && item.bounds.empty()) fail(err::ExpectedExpression);
        } else if (kind == DeclStmt::ReDim) {
            fail(err::ExpectedLParen);
        }
        d->items.push_back(std::move(item));
    } while (accept(Tok::Comma));
    return d;
}

// if := "If" expr "Then" ( newline block {"ElseIf" expr "Then" block} ["Else" block] "End" "If"
//                        | statements ["Else" statements] )
StmtPtr Parser::parseIf(bool inProc) {
    auto s = std::make_unique<IfStmt>(pos());
    advance();
    ExprPtr cond = parseExpr();
    expectKw(Kw::Then, err::ExpectedThen);
    if (m_tok.type != Tok::End && (m_tok.type != Tok::Newline || m_tok.text == u":")) {
        // Single-line form.
        if (m_tok.type == Tok::Newline) advance();
        Block then;
        parseBlock(then, inProc, true);
        s->branches.emplace_back(std::move(cond), std::move(then));
        if (acceptKw(Kw::Else)) {
            if (m_tok.type == Tok::Newline && m_tok.text == u":") advance(); // "Else: statement"
            parseBlock(s->elseBlock, inProc, true);
        }
        if (isKw(Kw::End)) {
            // Tolerate an explicit "End If" closing a single-line If.
            advance();
            expectKw(Kw::If, err::ExpectedIf);
        }
        return s;
    }
    Block then;
    parseBlock(then, inProc);
    s->branches.emplace_back(std::move(cond), std::move(then));
    for (;;) {
        if (isKw(Kw::ElseIf)) {
            advance();
            ExprPtr c = parseExpr();
            expectKw(Kw::Then, err::ExpectedThen);
            Block b;
            if (!atEndOfStatement()) {
                parseBlock(b, inProc, true);
                Block rest;
                parseBlock(rest, inProc);
                for (auto& st : rest)
                    b.push_back(std::move(st));
            } else {
                parseBlock(b, inProc);
            }
            s->branches.emplace_back(std::move(c), std::move(b));
        } else if (isKw(Kw::Else)) {
            advance();
            parseBlock(s->elseBlock, inProc);
        } else {
            break;
        }
    }
    expectKw(Kw::End, err::ExpectedEnd);
    expectKw(Kw::If, err::ExpectedIf);
    return s;
}

// for := "For" name "=" expr "To" expr ["Step" expr] block "Next"
//      | "For" "Each" name "In" expr block "Next"
StmtPtr Parser::parseFor(bool inProc) {
    Pos p = pos();
    advance();
    ++m_forDepth;
    StmtPtr result;
    if (acceptKw(Kw::Each)) {
        auto s = std::make_unique<ForEachStmt>(p);
        Pos np = pos();
        s->var = std::make_unique<NameExpr>(identifier(), np);
        expectKw(Kw::In, err::ExpectedIn);
        s->collection = parseExpr();
        endOfStatement();
        parseBlock(s->body, inProc);
        result = std::move(s);
    } else {
        auto s = std::make_unique<ForStmt>(p);
        Pos np = pos();
        if (m_tok.type != Tok::Word || Lexer::isReserved(m_tok.kw)) fail(err::InvalidForVariable);
        s->var = std::make_unique<NameExpr>(identifier(), np);
        expect(Tok::Eq, err::ExpectedEquals);
        s->from = parseExpr();
        expectKw(Kw::To, err::ExpectedTo);
        s->to = parseExpr();
        if (acceptKw(Kw::Step)) s->step = parseExpr();
        endOfStatement();
        parseBlock(s->body, inProc);
        result = std::move(s);
    }
    --m_forDepth;
    expectKw(Kw::Next, err::ExpectedNext);
    if (m_tok.type == Tok::Word && !Lexer::isReserved(m_tok.kw)) advance(); // "Next i"
    return result;
}

// do := "Do" [("While"|"Until") expr] block "Loop" [("While"|"Until") expr]
StmtPtr Parser::parseDo(bool inProc) {
    auto s = std::make_unique<DoStmt>(pos());
    advance();
    if (isKw(Kw::While) || isKw(Kw::Until)) {
        s->until = isKw(Kw::Until);
        advance();
        s->cond = parseExpr();
    } else if (!atEndOfStatement()) {
        fail(err::ExpectedWhileUntilOrEnd);
    }
    endOfStatement();
    ++m_doDepth;
    parseBlock(s->body, inProc);
    --m_doDepth;
    expectKw(Kw::Loop, err::ExpectedLoop);
    if (isKw(Kw::While) || isKw(Kw::Until)) {
        if (s->cond) fail(err::ExpectedEndOfStatement);
        s->until = isKw(Kw::Until);
        s->condAtEnd = true;
        advance();
        s->cond = parseExpr();
    }
    return s;
}

// while := "While" expr block "Wend"
StmtPtr Parser::parseWhile(bool inProc) {
    auto s = std::make_unique<DoStmt>(pos());
    advance();
    s->cond = parseExpr();
    endOfStatement();
    parseBlock(s->body, inProc);
    expectKw(Kw::Wend, err::ExpectedWend);
    return s;
}

// select := "Select" "Case" expr { "Case" items block } [ "Case" "Else" block ] "End" "Select"
StmtPtr Parser::parseSelect(bool inProc) {
    auto s = std::make_unique<SelectStmt>(pos());
    advance();
    expectKw(Kw::Case, err::ExpectedCase);
    s->subject = parseExpr();
    endOfStatement();
    skipNewlines();
    while (isKw(Kw::Case)) {
        advance();
        if (acceptKw(Kw::Else)) {
            if (m_tok.type == Tok::Newline) advance();
            parseBlock(s->elseBlock, inProc);
            s->hasElse = true;
            break;
        }
        std::vector<CaseItem> items;
        do {
            CaseItem item;
            if (acceptKw(Kw::Is)) {
                item.kind = CaseItem::Compare;
                if (!comparisonOf(m_tok.type, item.op)) fail(err::SyntaxError);
                advance();
                item.a = parseBinary(ConcatLevel);
            } else {
                item.a = parseExpr();
                if (acceptKw(Kw::To)) {
                    item.kind = CaseItem::Range;
                    item.b = parseExpr();
                }
            }
            items.push_back(std::move(item));
        } while (accept(Tok::Comma));
        if (m_tok.type == Tok::Newline) advance();
        Block b;
        parseBlock(b, inProc);
        s->cases.emplace_back(std::move(items), std::move(b));
    }
    expectKw(Kw::End, err::ExpectedEnd);
    expectKw(Kw::Select, err::ExpectedSelect);
    return s;
}

// with := "With" expr block "End" "With"
StmtPtr Parser::parseWith(bool inProc) {
    auto s = std::make_unique<WithStmt>(pos());
    advance();
    s->object = parseExpr();
    endOfStatement();
    ++m_withDepth;
    parseBlock(s->body, inProc);
    --m_withDepth;
    expectKw(Kw::End, err::ExpectedEnd);
    expectKw(Kw::With, err::ExpectedWith);
    return s;
}

// exit := "Exit" ("For" | "Do" | "Sub" | "Function" | "Property")
StmtPtr Parser::parseExit() {
    Pos p = pos();
    advance();
    Flow flow;
    if (isKw(Kw::For)) {
        if (m_forDepth == 0) fail(err::InvalidExit);
        flow = Flow::ExitFor;
    } else if (isKw(Kw::Do)) {
        if (m_doDepth == 0) fail(err::InvalidExit);
        flow = Flow::ExitDo;
    } else if (isKw(Kw::Sub) || isKw(Kw::Function) || isKw(Kw::Property)) {
        bool ok = m_inProc && ((isKw(Kw::Sub) && m_procKind == ProcKind::Sub) ||
                               (isKw(Kw::Function) && m_procKind == ProcKind::Function) ||
                               (isKw(Kw::Property) && m_procKind != ProcKind::Sub && m_procKind != ProcKind::Function));
        if (!ok) fail(err::InvalidExit);
        flow = Flow::ExitProc;
    } else {
        fail(err::InvalidExit);
    }
    advance();
    return std::make_unique<ExitStmt>(flow, p);
}

// onerror := "On" "Error" ( "Resume" "Next" | "GoTo" "0" )
StmtPtr Parser::parseOnError() {
    Pos p = pos();
    advance();
    expectKw(Kw::Error, err::SyntaxError);
    if (acceptKw(Kw::Resume)) {
        expectKw(Kw::Next, err::SyntaxError);
        return std::make_unique<OnErrorStmt>(true, p);
    }
    expectKw(Kw::GoTo, err::SyntaxError);
    if (m_tok.type != Tok::Number || m_tok.value.rawInt() != 0 || m_tok.value.type() != VarType::Integer)
        fail(err::SyntaxError);
    advance();
    return std::make_unique<OnErrorStmt>(false, p);
}

// call := target [ "=" expr | args ]
StmtPtr Parser::parseCallOrAssign(bool explicitCall) {
    Pos p = pos();
    const Lexer startLexer = m_lexer;
    const Token startTok = m_tok;
    ExprPtr target = parsePostfix(!explicitCall);
    if (!explicitCall && m_tok.type == Tok::Eq) {
        advance();
        ExprPtr value = parseExpr();
        return std::make_unique<AssignStmt>(std::move(target), std::move(value), false, p);
    }
    ExprList* args = nullptr;
    bool* parens = nullptr;
    if (target->kind == ExprKind::Name) {
        auto* n = static_cast<NameExpr*>(target.get());
        args = &n->args;
        parens = &n->hasParens;
    } else if (target->kind == ExprKind::Member) {
        auto* m = static_cast<MemberExpr*>(target.get());
        args = &m->args;
        parens = &m->hasParens;
    } else {
        fail(err::ExpectedStatement);
    }
    if (explicitCall) {
        if (!atEndOfStatement() && !isKw(Kw::Else)) fail(err::ExpectedEndOfStatement);
        return std::make_unique<CallStmt>(std::move(target), p);
    }
    if (*parens && args->size() == 1 && !atEndOfStatement() && !isKw(Kw::Else) && m_tok.type != Tok::Comma) {
        // "S(10 \ 2) + 1": the parenthesis only began the first argument. Parse the statement
        // again, taking that parenthesis as part of the argument list.
        m_lexer = startLexer;
        m_tok = startTok;
        m_argsParen = m_lastArgsParen;
        target = parsePostfix(true);
        m_argsParen = Pos{};
        if (target->kind == ExprKind::Name) {
            args = &static_cast<NameExpr*>(target.get())->args;
            parens = &static_cast<NameExpr*>(target.get())->hasParens;
        } else if (target->kind == ExprKind::Member) {
            args = &static_cast<MemberExpr*>(target.get())->args;
            parens = &static_cast<MemberExpr*>(target.get())->hasParens;
        } else {
            fail(err::ExpectedEndOfStatement); // "Me(1) + 2": nothing to call
        }
        if (*parens) fail(err::ExpectedEndOfStatement); // "a(1)(2) + 3": the arguments would be ambiguous
        parseArgs(*args);
    } else if (*parens) {
        // "f(a)" as a statement passes a by value; "f(a, b)" is not allowed without Call.
        if (args->size() > 1) fail(err::ParenthesesOnSubCall);
        if (args->size() == 1) {
            Pos ap = (*args)[0] ? (*args)[0]->pos : p;
            ExprPtr only = std::move((*args)[0]);
            args->clear();
            if (only)
                args->push_back(std::make_unique<ParenExpr>(std::move(only), ap));
            else
                args->push_back(nullptr);
            if (accept(Tok::Comma)) parseArgs(*args);
        }
    } else if (!atEndOfStatement() && !isKw(Kw::Else)) {
        parseArgs(*args);
    }
    *parens = true; // a statement call always calls, even without arguments
    if (!atEndOfStatement() && !isKw(Kw::Else)) fail(err::ExpectedEndOfStatement);
    return std::make_unique<CallStmt>(std::move(target), p);
}

// args := [expr] { "," [expr] }   (empty positions are missing arguments)
void Parser::parseArgs(ExprList& args) {
    do {
        if (m_tok.type == Tok::Comma)
            args.push_back(nullptr);
        else
            args.push_back(parseExpr());
    } while (accept(Tok::Comma));
}

// ======================================================================
// Expressions
// ======================================================================

ExprPtr Parser::measured(ExprPtr e) const {
    int below = 0;
    auto over = [&below](const ExprPtr& child) {
        if (child && child->height > below) below = child->height;
    };
    auto overAll = [&over](const ExprList& list) {
        for (const ExprPtr& child : list)
            over(child);
    };
    switch (e->kind) {
    case ExprKind::Binary:
        over(static_cast<BinaryExpr&>(*e).lhs);
        over(static_cast<BinaryExpr&>(*e).rhs);
        break;
    case ExprKind::Unary:
        over(static_cast<UnaryExpr&>(*e).operand);
        break;
    case ExprKind::Paren:
        over(static_cast<ParenExpr&>(*e).inner);
        break;
    case ExprKind::Member:
        over(static_cast<MemberExpr&>(*e).base);
        overAll(static_cast<MemberExpr&>(*e).args);
        break;
    case ExprKind::Name:
        overAll(static_cast<NameExpr&>(*e).args);
        break;
    default:
        break;
    }
    if (below >= MaxExprHeight) fail(err::OutOfStackSpace);
    e->height = static_cast<uint16_t>(below + 1);
    return e;
}

ExprPtr Parser::parseExpr() {
    Nest nest(*this);
    return parseBinary(ImpLevel);
}

// binary(n) := operand { op binary(level(op) + 1) }  for operators of level n and above, all left-associative;
// the operand is not (which takes a comparison) below the comparisons, unary from them up. Chains are walked
// in the loop, so recursion grows with the levels, not with the length of a chain.
ExprPtr Parser::parseBinary(int minLevel) {
    ExprPtr l = minLevel <= NotLevel ? parseNot() : parseUnary();
    for (;;) {
        Op op;
        const int level = binaryLevelOf(m_tok, op);
        if (level == NoLevel || level < minLevel) return l;
        Pos p = pos();
        advance();
        Nest nest(*this);
        ExprPtr r = parseBinary(level + 1);
        l = measured(std::make_unique<BinaryExpr>(op, std::move(l), std::move(r), p));
    }
}

// not := "Not" not | binary(compare)
ExprPtr Parser::parseNot() {
    if (isKw(Kw::Not)) {
        Pos p = pos();
        advance();
        Nest nest(*this);
        return measured(std::make_unique<UnaryExpr>(Op::Not, parseNot(), p));
    }
    return parseBinary(CompareLevel);
}

// unary := "-" unary | "+" unary | "Not" not | power
// ("Not" as the right operand of a comparison or arithmetic: "True <> Not True")
ExprPtr Parser::parseUnary() {
    if (isKw(Kw::Not)) return parseNot();
    if (m_tok.type == Tok::Minus || m_tok.type == Tok::Plus) {
        bool neg = m_tok.type == Tok::Minus;
        Pos p = pos();
        advance();
        Nest nest(*this);
        ExprPtr e = parseUnary();
        if (!neg) return e;
        return measured(std::make_unique<UnaryExpr>(Op::Neg, std::move(e), p));
    }
    return parsePower();
}

// power := postfix { "^" ["-"] postfix }
ExprPtr Parser::parsePower() {
    ExprPtr l = parsePostfix(false);
    while (m_tok.type == Tok::Caret) {
        Pos p = pos();
        advance();
        Nest nest(*this);
        ExprPtr r;
        if (m_tok.type == Tok::Minus) {
            Pos np = pos();
            advance();
            r = measured(std::make_unique<UnaryExpr>(Op::Neg, parsePostfix(false), np));
        } else {
            r = parsePostfix(false);
        }
        l = measured(std::make_unique<BinaryExpr>(Op::Pow, std::move(l), std::move(r), p));
    }
    return l;
}

// postfix := primary { "." name | "(" args ")" }
// At the start of a statement a "(" after a blank begins the arguments, not an index.
ExprPtr Parser::parsePostfix(bool statementStart) {
    ExprPtr e = parsePrimary(statementStart);
    for (;;) {
        if (m_tok.type == Tok::Dot && (!m_tok.spaceBefore || m_tok.afterContinuation)) {
            advance();
            Pos p = pos();
            if (m_tok.type != Tok::Word) fail(err::ExpectedIdentifier);
            auto m = std::make_unique<MemberExpr>(std::move(e), m_tok.text, p);
            advance();
            e = measured(std::move(m));
        } else if (m_tok.type == Tok::LParen && !(statementStart && m_tok.spaceBefore) &&
                   !(statementStart && m_tok.line == m_argsParen.line && m_tok.col == m_argsParen.col)) {
            const Pos open = pos();
            ExprList* args = nullptr;
            bool* parens = nullptr;
            if (e->kind == ExprKind::Name && !static_cast<NameExpr*>(e.get())->hasParens) {
                args = &static_cast<NameExpr*>(e.get())->args;
                parens = &static_cast<NameExpr*>(e.get())->hasParens;
            } else if (e->kind == ExprKind::Member && !static_cast<MemberExpr*>(e.get())->hasParens) {
                args = &static_cast<MemberExpr*>(e.get())->args;
                parens = &static_cast<MemberExpr*>(e.get())->hasParens;
            } else {
                // a(1)(2): index the result through its default member.
                Pos p = pos();
                auto m = std::make_unique<MemberExpr>(std::move(e), std::u16string(), p);
                args = &m->args;
                parens = &m->hasParens;
                e = std::move(m);
            }
            advance();
            *parens = true;
            if (!accept(Tok::RParen)) {
                parseArgs(*args);
                expect(Tok::RParen, err::ExpectedRParen);
            }
            e = measured(std::move(e));
            m_lastArgsParen = open;
        } else {
            return e;
        }
    }
}

// primary := literal | name | "Me" | "New" name | "(" expr ")" | "." name (inside With)
ExprPtr Parser::parsePrimary(bool statementStart) {
    (void)statementStart;
    Pos p = pos();
    switch (m_tok.type) {
    case Tok::Number:
    case Tok::Date: {
        auto e = std::make_unique<LiteralExpr>(m_tok.value, p);
        advance();
        return e;
    }
    case Tok::String: {
        auto e = std::make_unique<LiteralExpr>(Value::string(m_tok.text), p);
        advance();
        return e;
    }
    case Tok::LParen: {
        advance();
        ExprPtr inner = parseExpr();
        // "(a, b)" is only ever a Sub call written with parentheses.
        if (m_tok.type == Tok::Comma) fail(err::ParenthesesOnSubCall);
        expect(Tok::RParen, err::ExpectedRParen);
        return measured(std::make_unique<ParenExpr>(std::move(inner), p));
    }
    case Tok::Dot: {
        advance(); // outside With the compiler makes it a runtime error (505)
        if (m_tok.type != Tok::Word) fail(err::ExpectedIdentifier);
        auto m = std::make_unique<MemberExpr>(nullptr, m_tok.text, p);
        advance();
        return m;
    }
    case Tok::Word:
        break;
    default:
        fail(err::ExpectedExpression);
    }
    switch (m_tok.kw) {
    case Kw::True:
        advance();
        return std::make_unique<LiteralExpr>(Value::boolean(true), p);
    case Kw::False:
        advance();
        return std::make_unique<LiteralExpr>(Value::boolean(false), p);
    case Kw::Empty:
        advance();
        return std::make_unique<LiteralExpr>(Value(), p);
    case Kw::Null:
        advance();
        return std::make_unique<LiteralExpr>(Value::null(), p);
    case Kw::Nothing:
        advance();
        return std::make_unique<LiteralExpr>(Value::nothing(), p);
    case Kw::Me:
        if (!m_class && !m_meAllowed) fail(err::InvalidMe);
        advance();
        return std::make_unique<MeExpr>(p);
    case Kw::New: {
        advance();
        return std::make_unique<NewExpr>(identifier(), p);
    }
    case Kw::Randomize:
        // Randomize is a statement; used as a value it is a type mismatch when it runs.
        advance();
        return std::make_unique<RaiseExpr>(err::TypeMismatch, p);
    default:
        break;
    }
    if (Lexer::isReserved(m_tok.kw)) fail(err::ExpectedExpression);
    auto n = std::make_unique<NameExpr>(m_tok.text, p);
    if (m_inProc && equalsNoCase(m_tok.text, std::string_view("execute"))) m_procRunsExecute = true;
    advance();
    return n;
}

} // namespace tvk::script
