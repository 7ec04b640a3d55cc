#include "script/Compiler.h"

#include "script/Coerce.h"
#include "script/Operators.h"
#include "script/ScriptError.h"

namespace tvk::script {

Compiler::Compiler(Engine& engine, bool optionExplicit, const Frame* scope)
    : m_eng(engine), m_explicit(optionExplicit), m_frame(scope) {
    if (scope && scope->proc) {
        m_scope.fixedProc = scope->proc;
        m_scope.cls = scope->proc->owner;
        for (size_t i = 0; i < scope->proc->localNames.size(); ++i)
            if (!scope->proc->localNames[i].empty()) m_scope.locals[scope->proc->localNames[i]] = static_cast<int>(i);
    }
}

void Compiler::fail(int number, Pos p) const {
    throw ScriptError(number, p.line, p.col, true);
}

// ---- Declarations ----

void Compiler::declareGlobals(CodeUnit& unit) {
    // Every name is checked before any is declared, so a unit refused leaves the names as they were.
    // A procedure defined again replaces the earlier definition, as the language does, also one that
    // earlier code (AddCode, ExecuteGlobal) defined. A name held by a constant, a named object or a
    // thing of the other kind stays theirs; a procedure may still take a variable's name, which a
    // mere mention creates (x = Probe before ExecuteGlobal "Function Probe ...").
    std::unordered_map<std::u16string, GlobalEntry::Kind> seen;
    auto check = [&](const std::u16string& lower, GlobalEntry::Kind kind, Pos p) {
        auto [it, added] = seen.emplace(lower, kind);
        if (!added && !(kind == GlobalEntry::Procedure && it->second == kind)) fail(err::NameRedefined, p);
        const GlobalEntry* old = m_eng.findGlobal(lower);
        const bool overVariable = kind == GlobalEntry::Procedure && old && old->kind == GlobalEntry::Variable;
        if (old && old->kind != kind && !(overVariable && !old->readOnly)) fail(err::NameRedefined, p);
    };
    for (auto& cls : unit.classes)
        check(lowerAscii(cls->name), GlobalEntry::Class, Pos{});
    for (auto& proc : unit.procs)
        check(lowerAscii(proc->name), GlobalEntry::Procedure, proc->pos);
    for (auto& cls : unit.classes) {
        GlobalEntry e;
        e.kind = GlobalEntry::Class;
        e.cls = cls.get();
        m_eng.globalNames[lowerAscii(cls->name)] = e;
    }
    for (auto& proc : unit.procs) {
        GlobalEntry e;
        e.kind = GlobalEntry::Procedure;
        e.proc = proc.get();
        m_eng.globalNames[lowerAscii(proc->name)] = e;
    }
    // Code run by Execute inside a procedure keeps its new variables in that procedure's frame.
    collectDims(unit.body, true);
}

// Dim'd names of a block (nested blocks included) are declared before anything runs.
void Compiler::collectDims(Block& b, bool global) {
    for (auto& s : b) {
        switch (s->kind) {
        case StmtKind::Decl:
            declareDims(static_cast<DeclStmt&>(*s), global);
            break;
        case StmtKind::If: {
            auto& i = static_cast<IfStmt&>(*s);
            for (auto& br : i.branches)
                collectDims(br.second, global);
            collectDims(i.elseBlock, global);
            break;
        }
        case StmtKind::For:
            collectDims(static_cast<ForStmt&>(*s).body, global);
            break;
        case StmtKind::ForEach:
            collectDims(static_cast<ForEachStmt&>(*s).body, global);
            break;
        case StmtKind::Do:
            collectDims(static_cast<DoStmt&>(*s).body, global);
            break;
        case StmtKind::Select: {
            auto& sel = static_cast<SelectStmt&>(*s);
            for (auto& c : sel.cases)
                collectDims(c.second, global);
            collectDims(sel.elseBlock, global);
            break;
        }
        case StmtKind::With:
            collectDims(static_cast<WithStmt&>(*s).body, global);
            break;
        default:
            break;
        }
    }
}

void Compiler::declareDims(DeclStmt& d, bool global) {
    if (d.declKind != DeclStmt::Dim) return;
    for (auto& item : d.items) {
        std::u16string lower = lowerAscii(item.name);
        if (global && executeInProcedure()) {
            // A variable of the running call; it hides a global of the same name.
            if (m_scope.locals.count(lower) && m_scope.locals[lower] != 0) continue;
            if (!m_unitGlobals.emplace(lower, true).second) fail(err::NameRedefined, item.pos);
            if (m_frame && m_frame->extra) m_frame->extra->try_emplace(lower);
        } else if (global) {
            if (!m_unitGlobals.emplace(lower, true).second) fail(err::NameRedefined, item.pos);
            GlobalEntry* g = m_eng.findGlobal(lower);
            if (g && g->kind != GlobalEntry::Variable) fail(err::NameRedefined, item.pos);
            if (!g) m_eng.addGlobalVariable(lower);
        } else {
            if (m_scope.locals.count(lower) && m_scope.locals[lower] != 0) fail(err::NameRedefined, item.pos);
            newLocal(lower);
        }
    }
}

int Compiler::newLocal(const std::u16string& lowerName) {
    ProcDef* p = m_scope.proc;
    auto it = m_scope.locals.find(lowerName);
    if (it != m_scope.locals.end() && !lowerName.empty()) return it->second;
    int slot = p->localCount++;
    p->localNames.resize(static_cast<size_t>(p->localCount));
    p->localNames[static_cast<size_t>(slot)] = lowerName;
    if (!lowerName.empty()) m_scope.locals[lowerName] = slot;
    return slot;
}

VarRef Compiler::newTemp() {
    if (m_scope.proc) return VarRef{VarRef::Local, newLocal(std::u16string())};
    m_eng.globals.emplace_back();
    return VarRef{VarRef::Global, static_cast<int>(m_eng.globals.size()) - 1};
}

// Const values: literals, optionally negated, or names of other constants.
Value Compiler::constValue(ExprPtr& e) {
    expr(e);
    if (e->kind == ExprKind::Literal) return static_cast<LiteralExpr*>(e.get())->value;
    if (e->kind == ExprKind::Unary) {
        auto* u = static_cast<UnaryExpr*>(e.get());
        if (u->op == Op::Neg && u->operand->kind == ExprKind::Literal) {
            Value v = static_cast<LiteralExpr*>(u->operand.get())->value;
            if (v.isNumeric()) return unaryOp(Op::Neg, v);
        }
    }
    if (e->kind == ExprKind::Paren) return constValue(static_cast<ParenExpr*>(e.get())->inner);
    fail(err::ExpectedLiteral, e->pos);
}

void Compiler::compileUnit(CodeUnit& unit) {
    bool global = m_frame == nullptr || m_frame->proc == nullptr;
    declareGlobals(unit);
    for (auto& proc : unit.procs)
        compileProc(*proc, nullptr);
    for (auto& cls : unit.classes)
        for (auto& proc : cls->procs)
            compileProc(*proc, cls.get());
    (void)global;
    block(unit.body);
}

void Compiler::compileExpression(ExprPtr& e) {
    expr(e);
}

void Compiler::compileProc(ProcDef& proc, ClassDef* cls) {
    ProcScope saved = std::move(m_scope);
    m_scope = ProcScope{};
    m_scope.proc = &proc;
    m_scope.cls = cls;
    proc.localCount = 1;
    proc.localNames.assign(1, std::u16string());
    for (auto& p : proc.params) {
        std::u16string lower = lowerAscii(p.name);
        if (m_scope.locals.count(lower)) fail(err::NameRedefined, proc.pos);
        newLocal(lower);
    }
    collectDims(proc.body, false);
    block(proc.body);
    m_scope = std::move(saved);
}

// ---- Statements ----

void Compiler::block(Block& b) {
    Block out;
    out.reserve(b.size());
    for (auto& s : b)
        stmt(s, out);
    b = std::move(out);
}

ExprPtr Compiler::resolveTarget(ExprPtr& e, int errorIfNotVariable) {
    expr(e);
    if (e->kind != ExprKind::Var && e->kind != ExprKind::Dynamic) fail(errorIfNotVariable, e->pos);
    return std::move(e);
}

void Compiler::stmt(StmtPtr& s, Block& out) {
    switch (s->kind) {
    case StmtKind::Decl:
        declaration(static_cast<DeclStmt&>(*s), out);
        return; // replaced by the DimStmts it makes
    case StmtKind::Call:
        expr(static_cast<CallStmt&>(*s).call);
        break;
    case StmtKind::Assign:
        assignment(static_cast<AssignStmt&>(*s));
        s = variableAssignment(s);
        break;
    case StmtKind::Erase: {
        auto& e = static_cast<EraseStmt&>(*s);
        e.target = resolveTarget(e.target, err::SyntaxError);
        break;
    }
    case StmtKind::If:
        ifStatement(static_cast<IfStmt&>(*s));
        break;
    case StmtKind::For:
        forStatement(static_cast<ForStmt&>(*s));
        break;
    case StmtKind::ForEach: {
        auto& fe = static_cast<ForEachStmt&>(*s);
        fe.var = resolveTarget(fe.var, err::InvalidForVariable);
        expr(fe.collection);
        block(fe.body);
        break;
    }
    case StmtKind::Do: {
        auto& dl = static_cast<DoStmt&>(*s);
        if (dl.cond) expr(dl.cond);
        block(dl.body);
        break;
    }
    case StmtKind::Select:
        selectStatement(static_cast<SelectStmt&>(*s));
        break;
    case StmtKind::With:
        withStatement(static_cast<WithStmt&>(*s));
        break;
    case StmtKind::Randomize: {
        auto& r = static_cast<RandomizeStmt&>(*s);
        if (r.seed) expr(r.seed);
        r.builtin = m_eng.builtins.find(u"randomize");
        break;
    }
    case StmtKind::Dim:
    case StmtKind::Exit:
    case StmtKind::OnError:
    case StmtKind::AssignVar:
    case StmtKind::StoreLocal:
        break;
    }
    out.push_back(std::move(s));
}

// Dim/Const/ReDim: constants get their values, arrays with bounds and ReDims become DimStmts.
void Compiler::declaration(DeclStmt& d, Block& out) {
    for (auto& item : d.items) {
        std::u16string lower = lowerAscii(item.name);
        if (d.declKind == DeclStmt::Const) {
            Value v = constValue(item.value);
            if (m_scope.proc) {
                m_scope.consts[lower] = v;
            } else {
                GlobalEntry* g = m_eng.findGlobal(lower);
                if (g && g->kind != GlobalEntry::Constant && g->kind != GlobalEntry::Variable)
                    fail(err::NameRedefined, item.pos);
                int slot = m_eng.addGlobalVariable(lower);
                GlobalEntry* e = m_eng.findGlobal(lower);
                e->kind = GlobalEntry::Constant;
                e->readOnly = true;
                m_eng.globals[static_cast<size_t>(slot)] = v;
            }
            continue;
        }
        if (d.declKind == DeclStmt::ReDim) {
            // ReDim of an undeclared name declares it.
            bool known = m_scope.locals.count(lower) || (m_scope.cls && m_scope.cls->memberIndex(item.name) > 0) ||
                         m_eng.findGlobal(lower);
            if (!known) {
                if (m_scope.proc)
                    newLocal(lower);
                else if (!executeInProcedure())
                    m_eng.addGlobalVariable(lower);
            }
        } else if (!item.hasBounds) {
            continue;
        }
        auto dim = std::make_unique<DimStmt>(item.pos);
        ExprPtr target = std::make_unique<NameExpr>(item.name, item.pos);
        dim->target = resolveTarget(target, err::SyntaxError);
        for (auto& bnd : item.bounds)
            expr(bnd);
        dim->bounds = std::move(item.bounds);
        dim->redim = d.declKind == DeclStmt::ReDim;
        dim->preserve = d.preserve;
        out.push_back(std::move(dim));
    }
}

void Compiler::assignment(AssignStmt& a) {
    expr(a.target);
    expr(a.value);
    if (!a.isSet && a.target->kind == ExprKind::Var) findAppendPieces(a);
}

// A resolved Let of a plain variable becomes the statement made for it.
StmtPtr Compiler::variableAssignment(StmtPtr& s) {
    auto& a = static_cast<AssignStmt&>(*s);
    if (a.isSet || !a.appendPieces.empty() || a.target->kind != ExprKind::Var) return std::move(s);
    auto& target = static_cast<VarExpr&>(*a.target);
    if (target.readOnly) return std::move(s);
    if (target.var.kind == VarRef::Local && a.value->kind == ExprKind::Binary &&
        static_cast<BinaryExpr&>(*a.value).store)
        return std::make_unique<LocalStoreStmt>(target.var.index, std::move(a.value), a.pos);
    return std::make_unique<VarAssignStmt>(target.var, std::move(a.value), a.pos);
}

void Compiler::ifStatement(IfStmt& i) {
    for (auto& br : i.branches) {
        expr(br.first);
        block(br.second);
    }
    block(i.elseBlock);
}

void Compiler::forStatement(ForStmt& f) {
    f.var = resolveTarget(f.var, err::InvalidForVariable);
    expr(f.from);
    expr(f.to);
    if (f.step) expr(f.step);
    block(f.body);
}

void Compiler::selectStatement(SelectStmt& sel) {
    expr(sel.subject);
    for (auto& c : sel.cases) {
        for (auto& item : c.first) {
            expr(item.a);
            if (item.b) expr(item.b);
        }
        block(c.second);
    }
    block(sel.elseBlock);
    sel.integerCases.clear();
    sel.onlyIntegerCases = true;
    for (size_t c = 0; c < sel.cases.size() && sel.onlyIntegerCases; ++c)
        for (auto& item : sel.cases[c].first) {
            const bool integer = item.kind == CaseItem::Equal && item.a->kind == ExprKind::Literal &&
                                 (static_cast<LiteralExpr&>(*item.a).value.type() == VarType::Integer ||
                                  static_cast<LiteralExpr&>(*item.a).value.type() == VarType::Long);
            if (!integer) {
                sel.onlyIntegerCases = false;
                break;
            }
            sel.integerCases.emplace_back(static_cast<LiteralExpr&>(*item.a).value.rawInt(), static_cast<uint32_t>(c));
        }
}

void Compiler::withStatement(WithStmt& w) {
    expr(w.object);
    w.slot = newTemp();
    m_scope.with.push_back(w.slot);
    block(w.body);
    m_scope.with.pop_back();
}

// ---- Expressions ----

// True when evaluating e cannot assign any variable: no user procedure, member or late-bound
// call and none of the builtins that run code. Such operands may be read in any order.
// s = s & a & b ...: a chain of concatenations, leaning left, whose first operand is the target
// itself and whose other operands are pure. The pieces are then appended to the target's text.
void Compiler::findAppendPieces(AssignStmt& a) {
    const VarRef target = static_cast<VarExpr&>(*a.target).var;
    std::vector<Expr*> pieces;
    Expr* e = a.value.get();
    while (e->kind == ExprKind::Binary && static_cast<BinaryExpr*>(e)->op == Op::Cat) {
        auto* cat = static_cast<BinaryExpr*>(e);
        if (!isPure(*cat->rhs) || pieces.size() == AssignStmt::MaxAppendPieces) return;
        pieces.push_back(cat->rhs.get());
        e = cat->lhs.get();
        while (e->kind == ExprKind::Paren)
            e = static_cast<ParenExpr*>(e)->inner.get();
    }
    if (pieces.empty() || e->kind != ExprKind::Var) return;
    const VarRef first = static_cast<VarExpr*>(e)->var;
    if (first.kind != target.kind || first.index != target.index) return;
    a.appendPieces.assign(pieces.rbegin(), pieces.rend());
}

bool Compiler::isPure(const Expr& e) {
    switch (e.kind) {
    case ExprKind::Literal:
    case ExprKind::Var:
    case ExprKind::Me:
        return true;
    case ExprKind::Paren:
        return isPure(*static_cast<const ParenExpr&>(e).inner);
    case ExprKind::Unary:
        return isPure(*static_cast<const UnaryExpr&>(e).operand);
    case ExprKind::Binary: {
        auto& b = static_cast<const BinaryExpr&>(e);
        return isPure(*b.lhs) && isPure(*b.rhs);
    }
    case ExprKind::IndexVar: {
        auto& iv = static_cast<const IndexVarExpr&>(e);
        for (auto& a : iv.args)
            if (!a || !isPure(*a)) return false;
        // An object's default member might still run script code; the worst outcome is reading a
        // variable's newer value, never an invalid one (slots do not move).
        return true;
    }
    case ExprKind::CallBuiltin: {
        auto& c = static_cast<const CallBuiltinExpr&>(e);
        const std::u16string name = lowerAscii(c.builtin->name);
        if (name == u"eval" || name == u"execute" || name == u"executeglobal" || name == u"getref") return false;
        for (auto& a : c.args)
            if (!a || !isPure(*a)) return false;
        return true;
    }
    default:
        return false;
    }
}

void Compiler::args(ExprList& a) {
    for (auto& e : a)
        if (e) expr(e);
}

void Compiler::expr(ExprPtr& e) {
    switch (e->kind) {
    case ExprKind::Name: {
        ExprPtr r = resolveName(*static_cast<NameExpr*>(e.get()));
        if (r) e = std::move(r);
        return;
    }
    case ExprKind::Member: {
        auto* m = static_cast<MemberExpr*>(e.get());
        if (m->base) {
            m->onMe = m->base->kind == ExprKind::Me;
            expr(m->base);
        } else if (!m_scope.with.empty()) {
            m->withSlot = m_scope.with.back();
        } else {
            e = std::make_unique<RaiseExpr>(err::InvalidReference, m->pos); // ".name" outside With fails when run
            return;
        }
        args(m->args);
        return;
    }
    case ExprKind::New: {
        auto* n = static_cast<NewExpr*>(e.get());
        // A script class named like a built-in one (RegExp) does not replace it.
        n->factory = m_eng.builtins.classFactory(n->name);
        GlobalEntry* g = n->factory ? nullptr : m_eng.findGlobal(lowerAscii(n->name));
        if (g && g->kind == GlobalEntry::Class) n->cls = g->cls;
        return;
    }
    case ExprKind::Unary: {
        auto* u = static_cast<UnaryExpr*>(e.get());
        expr(u->operand);
        // A negated number literal is a literal itself (comparisons treat literals apart).
        if (u->op == Op::Neg && u->operand->kind == ExprKind::Literal) {
            const Value& v = static_cast<LiteralExpr*>(u->operand.get())->value;
            if (v.isNumeric()) e = std::make_unique<LiteralExpr>(unaryOp(Op::Neg, v), u->pos);
        }
        return;
    }
    case ExprKind::Binary: {
        auto* b = static_cast<BinaryExpr*>(e.get());
        expr(b->lhs);
        expr(b->rhs);
        b->rhsPure = isPure(*b->rhs);
        auto direct = [](const Expr& x, int& slot) {
            if (x.kind == ExprKind::Literal) return BinaryExpr::Direct::Constant;
            if (x.kind == ExprKind::Binary) return BinaryExpr::Direct::Nested;
            if (x.kind == ExprKind::IndexVar) {
                auto& iv = static_cast<const IndexVarExpr&>(x);
                if (iv.var.kind == VarRef::Local && iv.args.size() == 1 && iv.args[0] &&
                    iv.args[0]->kind == ExprKind::Var &&
                    static_cast<const VarExpr&>(*iv.args[0]).var.kind == VarRef::Local) {
                    slot = iv.var.index;
                    return BinaryExpr::Direct::LocalElement;
                }
            }
            if (x.kind == ExprKind::Var && static_cast<const VarExpr&>(x).var.kind == VarRef::Local) {
                slot = static_cast<const VarExpr&>(x).var.index;
                return BinaryExpr::Direct::Local;
            }
            if (x.kind == ExprKind::Var && static_cast<const VarExpr&>(x).var.kind == VarRef::Param) {
                slot = static_cast<const VarExpr&>(x).var.index;
                return BinaryExpr::Direct::Param;
            }
            if (x.kind == ExprKind::Var && static_cast<const VarExpr&>(x).var.kind == VarRef::Field) {
                slot = static_cast<const VarExpr&>(x).var.index;
                return BinaryExpr::Direct::Field;
            }
            return BinaryExpr::Direct::None;
        };
        b->literalOperand = b->lhs->kind == ExprKind::Literal || b->rhs->kind == ExprKind::Literal;
        b->lhsDirect = direct(*b->lhs, b->lhsSlot);
        b->rhsDirect = direct(*b->rhs, b->rhsSlot);
        b->specialise();
        return;
    }
    case ExprKind::Paren:
        expr(static_cast<ParenExpr*>(e.get())->inner);
        return;
    default:
        return;
    }
}

ExprPtr Compiler::resolveName(NameExpr& n) {
    std::u16string lower = lowerAscii(n.name);
    args(n.args);
    auto var = [&](VarRef ref) -> ExprPtr {
        if (n.hasParens) return std::make_unique<IndexVarExpr>(ref, std::move(n.args), n.pos);
        return std::make_unique<VarExpr>(ref, n.pos);
    };
    const ProcDef* proc = m_scope.proc ? m_scope.proc : m_scope.fixedProc;
    // The function's own name inside it is its return value (a call when arguments follow).
    if (proc && !n.hasParens && lowerAscii(proc->name) == lower &&
        (proc->kind == ProcKind::Function || proc->kind == ProcKind::PropertyGet)) {
        auto v = std::make_unique<VarExpr>(VarRef{VarRef::Local, 0}, n.pos);
        v->isReturnSlot = true;
        return v;
    }
    if (auto it = m_scope.consts.find(lower); it != m_scope.consts.end())
        return std::make_unique<LiteralExpr>(it->second, n.pos);
    if (auto it = m_scope.locals.find(lower); it != m_scope.locals.end() && it->second != 0) {
        // A ByRef parameter names the variable the caller passed.
        size_t param = static_cast<size_t>(it->second) - 1;
        if (proc && param < proc->params.size() && proc->params[param].byRef)
            return var(VarRef{VarRef::Param, static_cast<int>(param)});
        return var(VarRef{VarRef::Local, it->second});
    }
    if (m_scope.cls) {
        int id = m_scope.cls->memberIndex(n.name);
        if (id > 0) {
            const MemberDef& m = m_scope.cls->members[static_cast<size_t>(id - 1)];
            if (m.field >= 0) return var(VarRef{VarRef::Field, m.field});
            return std::make_unique<SelfMemberExpr>(id, std::move(n.args), n.pos);
        }
    }
    // Execute may declare variables of the running call that hide globals: such code, and the
    // procedure that runs it, look those up first.
    const bool frameFirst = executeInProcedure() || (m_scope.proc && m_scope.proc->runsExecute);
    if (GlobalEntry* g = m_eng.findGlobal(lower)) {
        switch (g->kind) {
        case GlobalEntry::Variable: {
            if (frameFirst) {
                auto d = std::make_unique<DynamicExpr>(lower, std::move(n.args), n.hasParens, n.pos);
                d->written = n.name;
                d->frameFirst = true;
                return d;
            }
            ExprPtr v = var(VarRef{VarRef::Global, g->slot});
            if (g->readOnly && v->kind == ExprKind::Var) static_cast<VarExpr*>(v.get())->readOnly = true;
            return v;
        }
        case GlobalEntry::Constant:
            if (!n.hasParens) return std::make_unique<LiteralExpr>(m_eng.globals[static_cast<size_t>(g->slot)], n.pos);
            return var(VarRef{VarRef::Global, g->slot});
        case GlobalEntry::Procedure:
            return std::make_unique<CallProcExpr>(g, std::move(n.args), n.pos);
        case GlobalEntry::Class:
            fail(err::SyntaxError, n.pos);
        }
    }
    if (const Value* c = m_eng.builtins.constant(lower)) return std::make_unique<LiteralExpr>(*c, n.pos);
    if (const Builtin* b = m_eng.builtins.find(lower))
        return std::make_unique<CallBuiltinExpr>(b, std::move(n.args), n.pos);
    // Unknown now: bound when run (named objects are added after the code).
    auto d = std::make_unique<DynamicExpr>(lower, std::move(n.args), n.hasParens, n.pos);
    d->written = n.name;
    d->frameFirst = frameFirst;
    if (!m_explicit) {
        if (m_scope.proc) {
            auto it = m_scope.implicitLocals.find(lower);
            if (it == m_scope.implicitLocals.end()) {
                int slot = newLocal(std::u16string());
                it = m_scope.implicitLocals.emplace(lower, slot).first;
            }
            d->fallbackLocal = it->second;
        } else if (executeInProcedure()) {
            d->frameLocal = true;
        } else {
            // Global code creates the variable when it first runs into the name.
            d->createGlobal = true;
        }
    }
    return d;
}

} // namespace tvk::script
