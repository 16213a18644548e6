#include "vbscript/interpreter.h"

#include <pthread.h>

#include <cmath>
#include <cstring>

#include "vbscript/builtins.h"
#include "vbscript/operators.h"

namespace mcplot::vbs {

Var& VarPool::push(std::string_view name, uint32_t hash) {
    if (used_ == blocks_.size() * kBlock) blocks_.push_back(std::make_unique<Var[]>(kBlock));
    Var& v = at(used_++);
    // resize and copy: cheaper than assign's general path for a short name
    v.name.resize(name.size());
    if (!name.empty()) std::memcpy(v.name.data(), name.data(), name.size());
    v.hash = hash;
    v.v = Value();
    v.ref = nullptr;
    v.isConst = false;
    v.isResult = false;
    return v;
}

void VarPool::popTo(size_t n) {
    while (used_ > n) {
        Var& v = at(--used_);
        v.v = Value();
        v.ref = nullptr;
    }
}

// Switches the evaluator to another chunk and frame, and back on any exit.
struct ContextGuard {
    Interpreter& in;
    const Node* nodes;
    const Value* consts;
    const Chunk* chunk;
    Interpreter::Frame* frame;
    size_t locals;
    ContextGuard(Interpreter& i, const Chunk& c, Interpreter::Frame* f)
        : in(i),
          nodes(i.nodes_),
          consts(i.consts_),
          chunk(i.chunk_),
          frame(i.frame_),
          locals(i.locals_.size()) {
        in.nodes_ = c.nodes.data();
        in.consts_ = c.consts.data();
        in.chunk_ = &c;
        if (f) in.frame_ = f;
    }
    ~ContextGuard() {
        in.locals_.popTo(locals);
        in.nodes_ = nodes;
        in.consts_ = consts;
        in.chunk_ = chunk;
        in.frame_ = frame;
    }
    ContextGuard(const ContextGuard&) = delete;
    ContextGuard& operator=(const ContextGuard&) = delete;
};

namespace {

// The lowest usable address of this thread's stack, found once per thread.
const char* threadStackLow() {
    thread_local const char* low = [] {
        pthread_attr_t attr;
        void* addr = nullptr;
        size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            pthread_attr_getstack(&attr, &addr, &size);
            pthread_attr_destroy(&attr);
        }
        return static_cast<const char*>(addr);
    }();
    return low;
}

constexpr size_t kStackMargin = 256 * 1024;

// Err.Source of the language's own run-time errors and of Err.Raise without one.
constexpr const char* kRuntimeErrorSource = "Microsoft VBScript runtime error";
// ... and of a syntax error in a text given to Execute or Eval.
constexpr const char* kCompileErrorSource = "Microsoft VBScript compilation error";

}  // namespace

Interpreter::Interpreter() {
    frame_ = &globalFrame_;
}

Interpreter::~Interpreter() {
    // Values give their bytes back to budget_: free them while it exists.
    BudgetScope scope(&budget_);
    reset();
    lastAdded_ = Value();
    err_ = Value();
    work_.reset();
}

const ClassMember* ClassInfo::find(std::string_view name, uint32_t hash, ClassMember::Kind kind) const {
    for (const ClassMember& m : members)
        if (m.kind == kind && m.proc.hash == hash && sameName(m.proc.name, name)) return &m;
    return nullptr;
}

bool ClassInfo::has(std::string_view name, uint32_t hash) const {
    for (const ClassMember& m : members)
        if (m.proc.hash == hash && sameName(m.proc.name, name)) return true;
    return false;
}

const char* className(const ObjObj* o) {
    return o->cls ? o->cls->name.c_str() : "Object";
}

void Interpreter::reset() {
    // The script is over: instances still alive go without their
    // Class_Terminate, and before the classes they point to.
    dying_ = true;
    withObjects_.clear();
    globals_.popTo(0);
    globalIndex_.clear();
    locals_.popTo(0);
    // Instances that hold each other would outlive the script with all they
    // hold: empty their fields, and any that stays is cut off its class.
    for (const auto& cls : classes_) {
        while (ObjObj* o = cls->live.head) {
            ++o->refs;
            const Value holder = Value::object(o);
            o->unlink();
            o->cls = nullptr;
            o->terminate = nullptr;
            std::vector<Value> fields;
            fields.swap(o->fields);
        }
    }
    dying_ = false;
    procs_.clear();
    procIndex_.clear();
    classes_.clear();
    objects_.clear();
    kept_.clear();
    // The storage of a huge text is not kept for the short ones that follow.
    if (work_->nodes.capacity() > kKeptNodes) work_ = std::make_unique<Chunk>();
    globalFrame_ = Frame{};
    frame_ = &globalFrame_;
    clearErr();
    explicit_ = false;
    locale_ = nullptr;
}

void Interpreter::addObject(std::string_view name, const std::shared_ptr<HostObject>& object) {
    if (!object) raise(err::ObjectRequired);
    // A host adds the same object before every evaluation: reuse its wrapper
    // (and take no new share of the object, whose count is atomic).
    if (lastAddedHost_ != object.get()) {
        BudgetScope scope(&budget_);
        lastAddedHost_ = object.get();
        lastAdded_ = Value::object(new ObjObj(ObjObj::Host, object));
    }
    const uint32_t h = nameHash(name);
    for (Added& a : objects_)
        if (a.hash == h && sameName(a.name, name)) {
            a.value = lastAdded_;
            return;
        }
    objects_.push_back(Added{std::string(name), h, lastAdded_});
}

void Interpreter::checkClock() {
    budget_.work = 0;
    if (stopFlag_ && stopFlag_->load(std::memory_order_relaxed)) raise(err::Timeout);
    deadline_.check();
}

// The clock and the stack limit of one call from the host.
void Interpreter::startCall() {
    steps_ = 0;
    budget_.work = 0;
    deadline_.restart(timeLimit_);
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    const char* limit = here - stackBudget_;
    if (limit > here) limit = nullptr;  // wrapped around
    const char* low = threadStackLow();
    if (low && limit < low + kStackMargin) limit = low + kStackMargin;
    stackLimit_ = limit;
    frame_ = &globalFrame_;
}

void Interpreter::execute(std::string_view code) {
    BudgetScope scope(&budget_);
    LocaleScope regional(locale_);
    startCall();
    if (code.size() > maxSourceBytes_) throw ScriptError(err::OutOfMemory, "слишком длинный текст сценария");
    work_->text = code;  // read in place: copied only if the chunk outlives this call
    parseProgram(*work_, parseLimits());
    Chunk* chunk = work_.get();
    if (!chunk->procs.empty() || !chunk->classes.empty()) {
        chunk->ownText();
        kept_.push_back(std::move(work_));
        work_ = std::make_unique<Chunk>();
    }
    run(*chunk);
}

Value Interpreter::evaluate(std::string_view expression) {
    BudgetScope scope(&budget_);
    LocaleScope regional(locale_);
    startCall();
    if (expression.size() > maxSourceBytes_)
        throw ScriptError(err::OutOfMemory, "слишком длинный текст сценария");
    Chunk chunk;
    chunk.copyText(expression);
    const int32_t root = parseExpression(chunk, parseLimits());
    ContextGuard guard(*this, chunk, &globalFrame_);
    return eval(root);
}

void Interpreter::defineProcs(const Chunk& chunk) {
    const auto procName = [this](int32_t k) -> std::string_view {
        return procs_[static_cast<size_t>(k)].name;
    };
    for (int32_t p : chunk.procs) {
        const Node& nd = chunk.nodes[static_cast<size_t>(p)];
        Proc proc{std::string(nd.nameView()), nd.hash, &chunk, p};
        const int32_t old = procIndex_.find(proc.name, proc.hash, procName);
        if (old >= 0) {
            procs_[static_cast<size_t>(old)] = std::move(proc);
        } else {
            procIndex_.insert(proc.hash, static_cast<int32_t>(procs_.size()));
            procs_.push_back(std::move(proc));
        }
    }
}

void Interpreter::defineClasses(const Chunk& chunk) {
    for (int32_t c : chunk.classes) {
        const Node& def = chunk.nodes[static_cast<size_t>(c)];
        auto info = std::make_unique<ClassInfo>();
        info->owner = this;
        info->name = std::string(def.nameView());
        info->hash = def.hash;
        info->chunk = &chunk;
        int initialize = -1, terminate = -1, defaultGet = -1;
        for (int32_t m = def.a; m >= 0; m = chunk.nodes[static_cast<size_t>(m)].next) {
            const Node& nd = chunk.nodes[static_cast<size_t>(m)];
            const bool isPrivate = nd.flags & nf::Private;
            if (nd.kind == NK::Dim) {
                for (int32_t it = nd.a; it >= 0; it = chunk.nodes[static_cast<size_t>(it)].next) {
                    const Node& item = chunk.nodes[static_cast<size_t>(it)];
                    ClassMember field;
                    field.isPrivate = isPrivate;
                    field.field = static_cast<int32_t>(info->fieldCount++);
                    field.proc = Proc{std::string(item.nameView()), item.hash, &chunk, it};
                    info->members.push_back(std::move(field));
                }
                continue;
            }
            ClassMember method;
            switch (static_cast<ProcKind>(nd.op)) {
                case ProcKind::PropertyGet:
                    method.kind = ClassMember::Get;
                    break;
                case ProcKind::PropertyLet:
                    method.kind = ClassMember::Let;
                    break;
                case ProcKind::PropertySet:
                    method.kind = ClassMember::Set;
                    break;
                default:
                    method.kind = ClassMember::Method;
            }
            method.isPrivate = isPrivate;
            method.proc = Proc{std::string(nd.nameView()), nd.hash, &chunk, m};
            const int index = static_cast<int>(info->members.size());
            if (method.kind == ClassMember::Method && sameName(method.proc.name, "class_initialize"))
                initialize = index;
            if (method.kind == ClassMember::Method && sameName(method.proc.name, "class_terminate"))
                terminate = index;
            if (nd.flags & nf::Default) defaultGet = index;
            info->members.push_back(std::move(method));
        }
        if (initialize >= 0) info->initialize = &info->members[static_cast<size_t>(initialize)];
        if (terminate >= 0) info->terminate = &info->members[static_cast<size_t>(terminate)];
        if (defaultGet >= 0) info->defaultGet = &info->members[static_cast<size_t>(defaultGet)];
        classes_.push_back(std::move(info));
    }
}

void Interpreter::run(const Chunk& chunk) {
    // Most texts define neither: not even a call for them.
    if (!chunk.procs.empty()) defineProcs(chunk);
    if (!chunk.classes.empty()) defineClasses(chunk);
    explicit_ = explicit_ || chunk.optionExplicit;
    globalFrame_.resumeNext = false;
    frame_ = &globalFrame_;
    ContextGuard guard(*this, chunk, &globalFrame_);
    execBlock(chunk.root);
}

void Interpreter::locate(ScriptError& e, const Node& nd) const {
    if (!e.located() && chunk_) e.locate(chunk_->text, nd.pos);
}

Value Interpreter::evalText(std::string_view text) {
    addWorkBytes(text.size() * 16);  // parsing costs more than copying
    tick();
    auto chunk = std::make_unique<Chunk>();
    chunk->copyText(text);
    int32_t root = -1;
    try {
        root = parseExpression(*chunk, parseLimits());
        ContextGuard guard(*this, *chunk, nullptr);
        // Eval's locals belong to the caller's frame: do not pop them.
        guard.locals = static_cast<size_t>(-1);
        return eval(root);
    } catch (ScriptError& e) {
        // The student wrote the call of Eval, not the text it was given:
        // the error is placed at the call.
        throw ScriptError(e.number, e.what());
    }
}

void Interpreter::executeText(std::string_view text, bool global) {
    addWorkBytes(text.size() * 16);  // parsing costs more than copying
    tick();
    auto chunk = std::make_unique<Chunk>();
    chunk->copyText(text);
    try {
        parseProgram(*chunk, parseLimits());
        const Chunk& c = *chunk;
        // Keep only texts whose procedures or classes may be called later.
        std::unique_ptr<Chunk> transient;
        if (c.procs.empty() && c.classes.empty())
            transient = std::move(chunk);
        else
            kept_.push_back(std::move(chunk));
        defineProcs(c);
        defineClasses(c);
        ContextGuard guard(*this, c, global ? &globalFrame_ : nullptr);
        // Variables Execute declares belong to the scope it runs in.
        if (!global) guard.locals = static_cast<size_t>(-1);
        execBlock(c.root);
    } catch (ScriptError& e) {
        // As with Eval, the error is placed at the call the student wrote.
        throw ScriptError(e.number, e.what());
    }
}

// ---- names ----

Var* Interpreter::findLocal(std::string_view name, uint32_t hash) {
    for (size_t k = locals_.size(); k-- > frame_->localBase;) {
        Var& v = locals_.at(k);
        if (v.hash == hash && sameName(v.name, name)) return &v;
    }
    return nullptr;
}

Var* Interpreter::findGlobal(std::string_view name, uint32_t hash) {
    const int32_t k = globalIndex_.find(name, hash, [this](int32_t i) -> std::string_view {
        return globals_.at(static_cast<size_t>(i)).name;
    });
    return k < 0 ? nullptr : &globals_.at(static_cast<size_t>(k));
}

Var* Interpreter::findVar(const Node& nd) {
    const std::string_view name = nd.nameView();
    if (frame_->proc)
        if (Var* v = findLocal(name, nd.hash)) return v;
    // Globals are only ever added until a reset, which also drops every
    // parsed text: a name found once stays that variable.
    if (nd.global >= 0) return &globals_.at(static_cast<size_t>(nd.global));
    const int32_t k = globalIndex_.find(name, nd.hash, [this](int32_t i) -> std::string_view {
        return globals_.at(static_cast<size_t>(i)).name;
    });
    if (k < 0) return nullptr;
    nd.global = k;
    return &globals_.at(static_cast<size_t>(k));
}

const Proc* Interpreter::findProc(std::string_view name, uint32_t hash) const {
    const int32_t k = procIndex_.find(
        name, hash, [this](int32_t i) -> std::string_view { return procs_[static_cast<size_t>(i)].name; });
    return k < 0 ? nullptr : &procs_[static_cast<size_t>(k)];
}

const Value* Interpreter::findObject(std::string_view name, uint32_t hash) const {
    for (const Added& a : objects_)
        if (a.hash == hash && sameName(a.name, name)) return &a.value;
    return nullptr;
}

Var& Interpreter::declare(std::string_view name, uint32_t hash) {
    if (frame_->proc) return locals_.push(name, hash);
    Var& v = globals_.push(name, hash);
    globalIndex_.insert(hash, static_cast<int32_t>(globals_.size() - 1));
    return v;
}

Var& Interpreter::varForWrite(const Node& nd) {
    if (Var* v = findVar(nd)) {
        if (v->isConst) raise(err::IllegalAssign);
        return *v;
    }
    const std::string_view name = nd.nameView();
    if (findObject(name, nd.hash) || findProc(name, nd.hash) || nd.k >= 0) raise(err::IllegalAssign);
    if (explicit_) raise(err::Undefined);
    return declare(name, nd.hash);
}

// ---- statements ----

Interpreter::Flow Interpreter::execBlock(int32_t s) {
    for (; s >= 0; s = nodes_[s].next) {
        Flow f;
        if (!frame_->resumeNext) {
            f = exec(s);
        } else {
            try {
                f = exec(s);
            } catch (const ScriptError& e) {
                // Running out of time, memory or stack ends the script anyway.
                if (e.number == err::Timeout || e.number == err::OutOfStack || e.number == err::OutOfMemory)
                    throw;
                errNumber = e.number;
                errDescription = e.what();
                errSource = !e.source.empty()                     ? e.source
                            : e.number >= 1000 && e.number < 1100 ? kCompileErrorSource
                                                                  : kRuntimeErrorSource;
                if (e.source.empty()) {
                    errHelpFile.clear();
                    errHelpContext = 0;
                }
                continue;
            }
        }
        if (f != Flow::Normal) return f;
    }
    return Flow::Normal;
}

bool Interpreter::condition(int32_t n) {
    const Value v = eval(n);
    if (v.isNull()) return false;
    return toBool(v);
}

Interpreter::Flow Interpreter::exec(int32_t s) {
    const Node& nd = nodes_[s];
    try {
        return execNode(nd);
    } catch (ScriptError& e) {
        locate(e, nd);
        throw;
    }
}

[[gnu::always_inline]] inline Interpreter::Flow Interpreter::execNode(const Node& nd) {
    checkStack(stackLimit_);
    tick();
    switch (nd.kind) {
        case NK::Assign:
            assign(nd.a, eval(nd.b), false);
            return Flow::Normal;
        case NK::SetAssign:
            assign(nd.a, eval(nd.b), true);
            return Flow::Normal;
        case NK::CallStmt: {
            const Node& c = nodes_[nd.a];
            if (c.kind == NK::Name) {
                // A bare name as a statement must name a procedure.
                if (findVar(c) || findObject(c.nameView(), c.hash)) raise(err::TypeMismatch);
            }
            eval(nd.a);
            return Flow::Normal;
        }
        case NK::If:
            for (const Node* n = &nd;;) {
                if (condition(n->a)) return execBlock(n->b);
                if (n->c < 0) return Flow::Normal;
                const Node& e = nodes_[n->c];
                if (e.kind != NK::If || !(e.flags & nf::ElseIfPart)) return execBlock(n->c);
                n = &e;
            }
        case NK::Select:
            return execSelect(nd);
        case NK::For:
            return execFor(nd);
        case NK::ForEach:
            return execForEach(nd);
        case NK::Do:
            return execDo(nd);
        case NK::While:
            while (condition(nd.a)) {
                tick();
                const Flow f = execBlock(nd.d);
                if (f != Flow::Normal) return f;
            }
            return Flow::Normal;
        case NK::Exit:
            switch (static_cast<ExitKind>(nd.op)) {
                case ExitKind::Do:
                    return Flow::ExitDo;
                case ExitKind::For:
                    return Flow::ExitFor;
                default:
                    return Flow::ExitProc;
            }
        case NK::With: {
            Value object = eval(nd.a);
            if (!object.isObject()) raise(err::ObjectRequired);
            if (!object.obj()) raise(err::ObjectNotSet);
            withObjects_.push_back(std::move(object));
            struct Close {
                std::vector<Value>& objects;
                ~Close() {
                    // Released after it has left the list (Class_Terminate may run).
                    Value last = std::move(objects.back());
                    objects.pop_back();
                }
            } close{withObjects_};
            return execBlock(nd.d);
        }
        case NK::Dim:
            execDim(nd, false);
            return Flow::Normal;
        case NK::ReDim:
            execDim(nd, true);
            return Flow::Normal;
        case NK::Const:
            for (int32_t item = nd.a; item >= 0; item = nodes_[item].next) {
                const Node& it = nodes_[item];
                Value v = eval(it.a);
                Var* existing =
                    frame_->proc ? findLocal(it.nameView(), it.hash) : findGlobal(it.nameView(), it.hash);
                if (existing) raise(err::NameRedefined);
                Var& var = declare(it.nameView(), it.hash);
                var.v = std::move(v);
                var.isConst = true;
            }
            return Flow::Normal;
        case NK::OnError:
            frame_->resumeNext = nd.op == 1;
            clearErr();
            return Flow::Normal;
        case NK::Erase: {
            Var& var = varForWrite(nd);
            Value& v = var.val();
            if (!v.isArray()) raise(err::TypeMismatch);
            ArrObj* a = v.mutableArr();
            if (a->fixedSize)
                a->reshape(a->ubounds, false);
            else
                a->reshape({}, false);
            return Flow::Normal;
        }
        default:
            raise(err::Syntax);
    }
}

Interpreter::Flow Interpreter::execFor(const Node& nd) {
    Value from = eval(nd.a);
    const Value to = toArith(eval(nd.b));
    const Value step = nd.c >= 0 ? toArith(eval(nd.c)) : Value::integer(1);
    if (to.isNull() || step.isNull()) raise(err::InvalidNull);
    Var* counter = &varForWrite(nd);
    counter->val() = toArith(from);
    if (counter->val().isNull()) raise(err::InvalidNull);
    int stepSign = 0;
    compareValues(step, Value::integer(0), stepSign);
    for (;;) {
        int c = 0;
        compareValues(counter->val(), to, c);
        if (stepSign >= 0 ? c > 0 : c < 0) break;
        tick();
        const Flow f = execBlock(nd.d);
        if (f == Flow::ExitFor) break;
        if (f != Flow::Normal) return f;
        counter->val() = binary(BinOp::Add, counter->val(), step);
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execForEach(const Node& nd) {
    const Value group = eval(nd.a);
    if (!group.isArray()) raise(group.isObject() ? err::NoMember : err::NotCollection);
    Var* element = &varForWrite(nd);
    // group holds its own reference: changes to the variable do not disturb us.
    const ArrObj* a = group.arr();
    for (size_t k = 0; k < a->items.size(); ++k) {
        element->val() = a->items[k];
        tick();
        const Flow f = execBlock(nd.d);
        if (f == Flow::ExitFor) break;
        if (f != Flow::Normal) return f;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execDo(const Node& nd) {
    const bool until = nd.flags & nf::Until;
    const bool atEnd = nd.flags & nf::TestAtEnd;
    for (;;) {
        if (!atEnd && nd.a >= 0 && condition(nd.a) == until) break;
        tick();
        const Flow f = execBlock(nd.d);
        if (f == Flow::ExitDo) break;
        if (f != Flow::Normal) return f;
        if (atEnd && condition(nd.a) == until) break;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execSelect(const Node& nd) {
    const Value subject = eval(nd.a);
    for (int32_t cl = nd.b; cl >= 0; cl = nodes_[cl].next) {
        const Node& clause = nodes_[cl];
        bool match = clause.flags & nf::CaseElse;
        for (int32_t t = clause.a; t >= 0 && !match; t = nodes_[t].next) {
            const Node& test = nodes_[t];
            int c = 0;
            if (test.op == 0) {
                match = compareValues(subject, eval(test.a), c) && c == 0;
            } else if (test.op == 1) {
                int d = 0;
                match = compareValues(subject, eval(test.a), c) && c >= 0 &&
                        compareValues(subject, eval(test.b), d) && d <= 0;
            } else {
                const Value r = binary(static_cast<BinOp>(test.c), subject, eval(test.a));
                match = !r.isNull() && toBool(r);
            }
        }
        if (match) return execBlock(clause.d);
    }
    return Flow::Normal;
}

std::vector<int32_t> Interpreter::evalBounds(int32_t firstArg) {
    std::vector<int32_t> ub;
    for (int32_t a = firstArg; a >= 0; a = nodes_[a].next) {
        const int32_t u = toLong(eval(a));
        if (u < -1) raise(err::SubscriptRange);
        ub.push_back(u);
        if (ub.size() > 60) raise(err::SubscriptRange);
    }
    return ub;
}

void Interpreter::execDim(const Node& nd, bool redim) {
    for (int32_t item = nd.a; item >= 0; item = nodes_[item].next) {
        const Node& it = nodes_[item];
        const std::string_view name = it.nameView();
        Var* var =
            redim ? findVar(it) : (frame_->proc ? findLocal(name, it.hash) : findGlobal(name, it.hash));
        if (var && var->isConst) raise(err::IllegalAssign);
        if (!redim) {
            if (var) continue;  // declared already: Dim does not clear
            Var& fresh = declare(name, it.hash);
            if (it.flags & nf::HasParens) {
                const std::vector<int32_t> ub = evalBounds(it.a);
                fresh.v = Value::array(new ArrObj(ub, !ub.empty()));
            }
            continue;
        }
        const std::vector<int32_t> ub = evalBounds(it.a);
        // ReDim declares the name, Option Explicit or not.
        if (!var) {
            if (findObject(name, it.hash) || findProc(name, it.hash) || it.k >= 0) raise(err::IllegalAssign);
            var = &declare(name, it.hash);
        }
        Value& v = var->val();
        if (v.isArray()) {
            ArrObj* a = v.mutableArr();
            if (a->fixedSize) raise(err::FixedArray);
            if (nd.flags & nf::Preserve) {
                if (!a->ubounds.empty()) {
                    if (a->ubounds.size() != ub.size()) raise(err::SubscriptRange);
                    for (size_t k = 0; k + 1 < ub.size(); ++k)
                        if (a->ubounds[k] != ub[k]) raise(err::SubscriptRange);
                }
                a->reshape(ub, true);
                continue;
            }
        }
        v = Value::array(new ArrObj(ub, false));
    }
}

// ---- assignment ----

void Interpreter::assign(int32_t target, Value v, bool isSet) {
    if (isSet) {
        if (!v.isObject()) raise(err::ObjectRequired);
    } else if (v.isObject()) {
        // Without Set an object gives the value of its default member.
        if (!v.obj()) raise(err::ObjectNotSet);
        v = objectDefault(v);
    }
    const Node& t = nodes_[target];
    switch (t.kind) {
        case NK::Name: {
            // In a method, a property of the class is assigned through its Let or Set.
            ObjObj* me = frame_->me;
            if (me && !findLocal(t.nameView(), t.hash) &&
                me->cls->find(t.nameView(), t.hash, isSet ? ClassMember::Set : ClassMember::Let)) {
                setInstanceMember(me, t, -1, v, isSet);
                return;
            }
            varForWrite(t).val() = std::move(v);
            return;
        }
        case NK::Call:
        case NK::Index:
            elementRef(target) = std::move(v);
            return;
        case NK::Member:
            setMember(eval(t.a), t, v, isSet);
            return;
        case NK::MemberCall: {
            const Value obj = eval(t.a);
            if (!obj.isObject() || !obj.obj()) raise(err::ObjectRequired);
            if (obj.obj()->which != ObjObj::Instance) raise(err::IllegalAssign);
            setInstanceMember(obj.obj(), t, t.b, v, isSet);
            return;
        }
        default:
            raise(err::IllegalAssign);
    }
}

// The element a(i)(j)... names: every index is evaluated before the arrays
// are touched, so code run by an index cannot move them under us.
Value& Interpreter::elementRef(int32_t target) {
    constexpr int kMaxDepth = 16;
    int32_t chain[kMaxDepth];
    int depth = 0;
    int32_t n = target;
    for (; nodes_[n].kind == NK::Index; n = nodes_[n].a) {
        if (depth == kMaxDepth) raise(err::IllegalAssign);
        chain[depth++] = n;
    }
    const Node& root = nodes_[n];
    if (root.kind != NK::Call) raise(err::IllegalAssign);
    Var* var = findVar(root);
    if (!var && findObject(root.nameView(), root.hash)) raise(err::NoMember);
    if (!var || !var->val().isArray()) raise(err::TypeMismatch);

    Indexes rootIdx;
    evalIndexes(root.a, rootIdx);
    std::vector<Indexes> inner(static_cast<size_t>(depth));
    for (int k = 0; k < depth; ++k)
        evalIndexes(nodes_[chain[depth - 1 - k]].b, inner[static_cast<size_t>(k)]);

    Value* cur = &var->val();
    if (!cur->isArray()) raise(err::TypeMismatch);
    ArrObj* a = cur->mutableArr();
    cur = &a->items[a->flatIndex(rootIdx.data, rootIdx.count)];
    for (const Indexes& idx : inner) {
        if (!cur->isArray()) raise(err::TypeMismatch);
        a = cur->mutableArr();
        cur = &a->items[a->flatIndex(idx.data, idx.count)];
    }
    return *cur;
}

// ---- expressions ----

Value Interpreter::eval(int32_t n) {
    const Node& nd = nodes_[n];
    if (nd.kind == NK::Literal) return consts_[nd.k];  // cannot fail
    try {
        return evalNode(nd);
    } catch (ScriptError& e) {
        locate(e, nd);
        throw;
    }
}

// Inlined into eval: one call per node, not two.
[[gnu::always_inline]] inline Value Interpreter::evalNode(const Node& nd) {
    checkStack(stackLimit_);
    switch (nd.kind) {
        case NK::Literal:
            return consts_[nd.k];
        case NK::Name:
            return readName(nd);
        case NK::Call:
            return callName(nd);
        case NK::Binary: {
            const Value l = eval(nd.a);
            const Value r = eval(nd.b);
            return binary(static_cast<BinOp>(nd.op), l, r);
        }
        case NK::Unary: {
            const Value v = eval(nd.a);
            switch (static_cast<UnaryOp>(nd.op)) {
                case UnaryOp::Neg:
                    return negate(v);
                case UnaryOp::Not:
                    return logicalNot(v);
                default:
                    if (v.isArray()) raise(err::TypeMismatch);
                    return v;
            }
        }
        case NK::Index:
            return indexValue(eval(nd.a), nd.b);
        case NK::Member:
            return getMember(eval(nd.a), nd);
        case NK::MemberCall:
            return callMember(eval(nd.a), nd);
        case NK::WithObject:
            if (withObjects_.empty()) raise(err::ObjectRequired);
            return withObjects_.back();
        case NK::New:
            return newInstance(nd);
        default:
            raise(err::Syntax);
    }
}

int Interpreter::evalArgs(int32_t firstArg, Value* out, int max) {
    int n = 0;
    for (int32_t a = firstArg; a >= 0; a = nodes_[a].next) {
        if (n == max) raise(err::WrongArgs);
        out[n++] = eval(a);
    }
    return n;
}

void Interpreter::evalIndexes(int32_t firstArg, Indexes& out) {
    out.count = 0;
    for (int32_t a = firstArg; a >= 0; a = nodes_[a].next) {
        if (out.count < kSmallIndexes) {
            out.small[out.count++] = eval(a);
            continue;
        }
        // Nine and more dimensions are rare: their indexes go to the heap.
        if (out.more.empty()) out.more.assign(out.small, out.small + kSmallIndexes);
        out.more.push_back(eval(a));
        ++out.count;
    }
    out.data = out.more.empty() ? out.small : out.more.data();
}

Value Interpreter::indexValue(const Value& arr, int32_t firstArg) {
    if (!arr.isArray()) {
        // obj(args) calls the default member of a script's instance with them.
        ObjObj* o = arr.isObject() ? arr.obj() : nullptr;
        if (o && o->which == ObjObj::Instance && o->cls && o->cls->defaultGet)
            return callProc(o->cls->defaultGet->proc, firstArg, o);
        raise(arr.isObject() && !o ? err::ObjectRequired : err::TypeMismatch);
    }
    // The array is held while the indexes run: they may change the variable.
    const Value held = arr;
    Indexes idx;
    evalIndexes(firstArg, idx);
    return held.arr()->items[held.arr()->flatIndex(idx.data, idx.count)];
}

Value Interpreter::readName(const Node& nd) {
    const std::string_view name = nd.nameView();
    if (ObjObj* me = frame_->me) {
        // In a method: its locals and the instance's fields, Me, then the class's members.
        if (Var* v = findLocal(name, nd.hash)) return v->val();
        if (sameName(name, "me")) {
            ++me->refs;
            return Value::object(me);
        }
        if (me->cls->has(name, nd.hash)) return getInstanceMember(me, nd, -1);
    }
    if (Var* v = findVar(nd)) return v->val();
    if (const Value* o = findObject(name, nd.hash)) return *o;
    if (const Proc* p = findProc(name, nd.hash)) return callProc(*p, -1);
    if (nd.k >= 0) return callBuiltin(nd.k, -1);
    if (explicit_) raise(err::Undefined);
    return Value();
}

Value Interpreter::callName(const Node& nd) {
    if (ObjObj* me = frame_->me) {
        Var* v = findLocal(nd.nameView(), nd.hash);
        if (v && !v->isResult) return indexValue(v->val(), nd.a);
        // A method's own name with arguments calls it again.
        if (me->cls->has(nd.nameView(), nd.hash)) return getInstanceMember(me, nd, nd.a);
    }
    if (Var* v = findVar(nd)) {
        // Inside a Function its own name with arguments is a recursive call.
        if (!v->isResult) return indexValue(v->val(), nd.a);
    }
    const std::string_view name = nd.nameView();
    if (const Proc* p = findProc(name, nd.hash)) return callProc(*p, nd.a);
    if (nd.k >= 0) return callBuiltin(nd.k, nd.a);
    if (findObject(name, nd.hash)) raise(err::NoMember);
    if (explicit_) raise(err::Undefined);
    raise(err::TypeMismatch);
}

Value Interpreter::callBuiltin(int index, int32_t firstArg) {
    const Builtin& b = builtinAt(index);
    if (b.maxArgs > kMaxBuiltinArgs) {  // Array takes any number of values
        std::vector<Value> many;
        for (int32_t a = firstArg; a >= 0; a = nodes_[a].next) {
            if (many.size() >= static_cast<size_t>(b.maxArgs)) raise(err::WrongArgs);
            many.push_back(eval(a));
        }
        return b.fn(*this, many.data(), static_cast<int>(many.size()));
    }
    Value args[kMaxBuiltinArgs];
    const int n = evalArgs(firstArg, args, kMaxBuiltinArgs);
    if (n < b.minArgs || n > b.maxArgs) raise(err::WrongArgs);
    return b.fn(*this, args, n);
}

Value Interpreter::callProc(const Proc& proc, int32_t firstArg, ObjObj* me, const Value* assigned) {
    const Node* procNodes = proc.chunk->nodes.data();
    const Node& def = procNodes[proc.node];
    // Arguments are evaluated in the caller's scope before the new frame opens.
    struct Arg {
        Value value;
        Value* ref = nullptr;
    };
    Arg args[16];
    std::vector<Arg> more;
    int count = 0;
    int32_t param = def.a;
    for (int32_t a = firstArg; a >= 0; a = nodes_[a].next, ++count) {
        if (param < 0) raise(err::WrongArgs);
        Arg& slot = count < 16 ? args[count] : more.emplace_back();
        const Node& an = nodes_[a];
        if ((procNodes[param].flags & nf::ByRef) && an.kind == NK::Name && !(an.flags & nf::Parenthesised)) {
            if (Var* v = findVar(an); v && !v->isConst) {
                slot.ref = &v->val();
                param = procNodes[param].next;
                continue;
            }
        }
        slot.value = eval(a);
        param = procNodes[param].next;
    }
    if (assigned) {
        // Property Let and Set: the value is the last argument.
        if (param < 0) raise(err::WrongArgs);
        Arg& slot = count < 16 ? args[count] : more.emplace_back();
        slot.value = *assigned;
        param = procNodes[param].next;
    }
    if (param >= 0) raise(err::WrongArgs);
    tick();

    // The instance stays alive while its method runs.
    Value meHolder;
    if (me) {
        ++me->refs;
        meHolder = Value::object(me);
    }
    Frame frame;
    frame.localBase = locals_.size();
    frame.proc = &proc;
    frame.me = me;
    ContextGuard guard(*this, *proc.chunk, &frame);
    if (me) {
        // The fields are names of the method's scope, behind its own locals.
        for (const ClassMember& m : me->cls->members)
            if (m.kind == ClassMember::Field)
                locals_.push(m.proc.name, m.proc.hash).ref = &me->fields[static_cast<size_t>(m.field)];
    }
    int k = 0;
    for (int32_t p = def.a; p >= 0; p = procNodes[p].next, ++k) {
        Arg& arg = k < 16 ? args[k] : more[static_cast<size_t>(k - 16)];
        Var& v = locals_.push(procNodes[p].nameView(), procNodes[p].hash);
        if (arg.ref)
            v.ref = arg.ref;
        else
            v.v = std::move(arg.value);
    }
    Var* result = nullptr;
    if (def.flags & nf::IsFunction) {
        result = &locals_.push(def.nameView(), def.hash);
        result->isResult = true;
    }
    execBlock(def.d);
    return result ? std::move(result->v) : Value();
}

// ---- objects ----

Value Interpreter::getMember(const Value& obj, const Node& nd) {
    if (!obj.isObject() || !obj.obj()) raise(err::ObjectRequired);
    if (obj.obj()->which == ObjObj::Instance) return getInstanceMember(obj.obj(), nd, -1);
    const ObjObj* o = obj.obj();
    if (o->which == ObjObj::ErrObject) {
        const std::string_view n = nd.nameView();
        if (sameName(n, "number")) return Value::lng(errNumber);
        if (sameName(n, "description")) return Value::str(errDescription);
        if (sameName(n, "source")) return Value::str(errSource);
        if (sameName(n, "helpfile")) return Value::str(errHelpFile);
        if (sameName(n, "helpcontext")) return Value::lng(errHelpContext);
        if (sameName(n, "clear") || sameName(n, "raise")) return callMember(obj, nd);
        raise(err::NoMember);
    }
    Value out;
    if (!o->host || !o->host->get(nd.nameView(), out)) raise(err::NoMember);
    return out;
}

Value Interpreter::callMember(const Value& obj, const Node& nd) {
    if (!obj.isObject() || !obj.obj()) raise(err::ObjectRequired);
    if (obj.obj()->which == ObjObj::Instance) return getInstanceMember(obj.obj(), nd, nd.b);
    if (obj.obj()->which != ObjObj::ErrObject) raise(err::NoMember);
    Value args[kMaxBuiltinArgs];
    const int n = evalArgs(nd.b, args, kMaxBuiltinArgs);
    const std::string_view name = nd.nameView();
    if (sameName(name, "clear")) {
        if (n != 0) raise(err::WrongArgs);
        clearErr();
        return Value();
    }
    if (sameName(name, "raise")) {
        if (n < 1 || n > 5) raise(err::WrongArgs);
        const int32_t number = toLong(args[0]);
        if (number == 0) raise(err::InvalidCall);
        // An argument left out keeps what Err holds from an error not yet
        // cleared; with nothing there, the language's own text for the number.
        const auto text = [&](int k, std::string& field) {
            if (k < n && !args[k].isMissing()) field = toText(args[k]);
        };
        const bool fresh = errNumber == 0;
        if (fresh) clearErr();
        text(1, errSource);
        text(2, errDescription);
        text(3, errHelpFile);
        if (4 < n && !args[4].isMissing()) errHelpContext = toLong(args[4]);
        if (errSource.empty()) errSource = kRuntimeErrorSource;
        if (errDescription.empty()) errDescription = errorMessage(number);
        errNumber = number;
        ScriptError e(number, errDescription);
        e.source = errSource;
        throw e;
    }
    raise(err::NoMember);
}

void Interpreter::setMember(const Value& obj, const Node& nd, const Value& v, bool isSet) {
    if (!obj.isObject() || !obj.obj()) raise(err::ObjectRequired);
    ObjObj* o = obj.obj();
    if (o->which == ObjObj::Instance) return setInstanceMember(o, nd, -1, v, isSet);
    if (o->which == ObjObj::ErrObject) {
        const std::string_view n = nd.nameView();
        if (sameName(n, "number"))
            errNumber = toLong(v);
        else if (sameName(n, "description"))
            errDescription = toText(v);
        else if (sameName(n, "source"))
            errSource = toText(v);
        else if (sameName(n, "helpfile"))
            errHelpFile = toText(v);
        else if (sameName(n, "helpcontext"))
            errHelpContext = toLong(v);
        else
            raise(err::NoMember);
        return;
    }
    if (!o->host || !o->host->set(nd.nameView(), v)) raise(err::NoMember);
}

// ---- instances of the script's classes ----

const ClassMember* Interpreter::visibleMember(const ObjObj* o, const Node& nd, ClassMember::Kind kind) const {
    const ClassMember* m = o->cls->find(nd.nameView(), nd.hash, kind);
    // Private members are reached only from the class's own procedures.
    if (m && m->isPrivate && !(frame_->me && frame_->me->cls == o->cls)) return nullptr;
    return m;
}

Value Interpreter::getInstanceMember(ObjObj* o, const Node& nd, int32_t firstArg) {
    if (const ClassMember* m = visibleMember(o, nd, ClassMember::Field)) {
        const Value field = o->fields[static_cast<size_t>(m->field)];
        return firstArg >= 0 ? indexValue(field, firstArg) : field;
    }
    if (const ClassMember* m = visibleMember(o, nd, ClassMember::Get)) return callProc(m->proc, firstArg, o);
    if (const ClassMember* m = visibleMember(o, nd, ClassMember::Method))
        return callProc(m->proc, firstArg, o);
    raise(err::NoMember);
}

void Interpreter::setInstanceMember(ObjObj* o, const Node& nd, int32_t firstArg, const Value& v, bool isSet) {
    // The instance is held: the value may be its last reference elsewhere.
    ++o->refs;
    const Value holder = Value::object(o);
    if (const ClassMember* m = visibleMember(o, nd, ClassMember::Field)) {
        Value& field = o->fields[static_cast<size_t>(m->field)];
        if (firstArg < 0) {
            field = v;
            return;
        }
        Indexes idx;
        evalIndexes(firstArg, idx);
        if (!field.isArray()) raise(err::TypeMismatch);
        ArrObj* a = field.mutableArr();
        a->items[a->flatIndex(idx.data, idx.count)] = v;
        return;
    }
    const ClassMember* m = visibleMember(o, nd, isSet ? ClassMember::Set : ClassMember::Let);
    if (!m) raise(err::NoMember);
    callProc(m->proc, firstArg, o, &v);
}

Value Interpreter::newInstance(const Node& nd) {
    ClassInfo* cls = nullptr;
    for (size_t k = classes_.size(); k-- > 0 && !cls;)
        if (classes_[k]->hash == nd.hash && sameName(classes_[k]->name, nd.nameView()))
            cls = classes_[k].get();
    if (!cls) {
        // The classes a script host may provide (RegExp) are not available here.
        raise(sameName(nd.nameView(), "regexp") ? err::CantCreate : err::ClassNotDefined);
    }
    auto* o = new ObjObj(ObjObj::Instance, nullptr);
    Value result = Value::object(o);
    o->cls = cls;
    o->link(&cls->live);
    o->fields.resize(cls->fieldCount);
    for (const ClassMember& m : cls->members) {
        if (m.kind != ClassMember::Field) continue;
        const Node& item = cls->chunk->nodes[static_cast<size_t>(m.proc.node)];
        if (!(item.flags & nf::HasParens)) continue;
        ContextGuard guard(*this, *cls->chunk, nullptr);
        const std::vector<int32_t> ub = evalBounds(item.a);
        o->fields[static_cast<size_t>(m.field)] = Value::array(new ArrObj(ub, !ub.empty()));
    }
    if (cls->initialize) callProc(cls->initialize->proc, -1, o);
    if (cls->terminate) o->terminate = &Interpreter::terminateInstance;
    return result;
}

void Interpreter::terminateInstance(ObjObj* o) {
    if (!o->cls) return;
    Interpreter& in = *o->cls->owner;
    if (in.dying_) return;
    try {
        in.callProc(o->cls->terminate->proc, -1, o);
    } catch (...) {
        // An error in Class_Terminate has nowhere to go.
    }
}

Value Interpreter::errObject() {
    if (err_.isEmpty()) {
        err_ = Value::object(new ObjObj(ObjObj::ErrObject, nullptr));
        err_.obj()->engine = this;
    }
    return err_;
}

void Interpreter::setLocale(const Locale* l) {
    locale_ = l && l != &defaultLocale() && l->id != defaultLocale().id ? l : nullptr;
    LocaleScope::change(locale_);
}

void Interpreter::clearErr() {
    errNumber = 0;
    errDescription.clear();
    errSource.clear();
    errHelpFile.clear();
    errHelpContext = 0;
}

Value Interpreter::defaultMemberValue(ObjObj* o) {
    ++o->refs;
    const Value holder = Value::object(o);
    return callProc(o->cls->defaultGet->proc, -1, o);
}

Value objectDefault(const Value& v) {
    ObjObj* o = v.obj();
    if (!o) raise(err::ObjectRequired);
    Value out;
    if (o->which == ObjObj::ErrObject && o->engine)
        out = Value::lng(o->engine->errNumber);
    else if (o->which == ObjObj::Instance && o->cls && o->cls->defaultGet)
        out = o->cls->owner->defaultMemberValue(o);
    else
        raise(err::NoMember);
    if (out.isObject()) raise(err::NoMember);
    return out;
}

// The generator the language documents: a 24-bit linear congruential one.
double Interpreter::rnd(double arg) {
    if (arg < 0) {
        float f = static_cast<float>(arg);
        uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        rndState_ = (bits + (bits >> 24)) & 0xFFFFFF;
    } else if (arg == 0) {
        return lastRnd_;
    }
    rndState_ = (rndState_ * 1140671485u + 12820163u) & 0xFFFFFF;
    lastRnd_ = static_cast<double>(rndState_) / 16777216.0;
    return lastRnd_;
}

void Interpreter::randomize(bool hasSeed, double seed) {
    if (!hasSeed) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        seed = static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(now).count() %
                                   86400000000LL) /
               1e6;
    }
    double d = seed;
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    const uint32_t mix = static_cast<uint32_t>((bits >> 32) ^ bits);
    rndState_ = (rndState_ & 0xFF) | ((((mix >> 16) ^ mix) & 0xFFFF) << 8);
    rndState_ &= 0xFFFFFF;
}

}  // namespace mcplot::vbs
