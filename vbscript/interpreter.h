// The evaluator: walks the syntax tree of a compiled text, with the script's
// variables, procedures and added objects. It keeps its tables between runs
// so that one evaluation per plotted point allocates next to nothing.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vbscript/host_object.h"
#include "vbscript/locale.h"
#include "vbscript/parser.h"
#include "vbscript/value.h"

namespace mcplot::vbs {

struct Var {
    std::string name;
    uint32_t hash = 0;
    Value v;
    Value* ref = nullptr;  // a ByRef parameter aliases the caller's variable
    bool isConst = false;
    bool isResult = false;  // the return value of the running Function
    Value& val() { return ref ? *ref : v; }
};

// Variables in blocks whose addresses never move, so ByRef aliases stay valid
// while more variables are created.
class VarPool {
public:
    size_t size() const { return used_; }
    Var& at(size_t k) { return blocks_[k / kBlock][k % kBlock]; }
    Var& push(std::string_view name, uint32_t hash);
    void popTo(size_t n);

private:
    static constexpr size_t kBlock = 64;
    std::vector<std::unique_ptr<Var[]>> blocks_;
    size_t used_ = 0;
};

struct Proc {
    std::string name;
    uint32_t hash = 0;
    const Chunk* chunk = nullptr;
    int32_t node = -1;
};

// A class a script defined: its fields and procedures by name.
struct ClassMember {
    enum Kind : uint8_t { Field, Method, Get, Let, Set };
    Kind kind = Field;
    bool isPrivate = false;
    int32_t field = -1;  // the field's place in an instance
    Proc proc;           // the procedure, or the field's name and DimItem node
};

class Interpreter;

struct ClassInfo {
    Interpreter* owner = nullptr;
    std::string name;
    uint32_t hash = 0;
    const Chunk* chunk = nullptr;
    std::vector<ClassMember> members;
    size_t fieldCount = 0;
    const ClassMember* initialize = nullptr;
    const ClassMember* terminate = nullptr;
    const ClassMember* defaultGet = nullptr;  // Public Default Property Get or Function
    InstanceList live;                        // its instances alive now
    // The member of a kind by name, or nullptr.
    const ClassMember* find(std::string_view name, uint32_t hash, ClassMember::Kind kind) const;
    // Any member by name.
    bool has(std::string_view name, uint32_t hash) const;
};

// Default budgets of one interpreter; each can be changed per instance.
inline constexpr std::chrono::milliseconds kDefaultTimeLimit{750};
inline constexpr size_t kDefaultStackBudget = 4u << 20;
inline constexpr size_t kDefaultMaxSourceBytes = 16u << 20;

// One script engine: its variables, procedures, added objects and budgets
// (time, memory, native stack, text length) belong to the instance, so
// several interpreters may run at once on several threads.
class Interpreter {
    static constexpr int kSmallIndexes = 8;

public:
    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Forgets variables, procedures and objects; keeps the storage. Constant
    // time whatever an earlier script declared.
    void reset();
    // Makes the object reachable from scripts as name.property.
    void addObject(std::string_view name, const std::shared_ptr<HostObject>& object);

    // How long one execute or evaluate may run, parsing included.
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
    // How much native stack one call may use at most (and never closer than
    // 256 KB to the end of the calling thread's stack).
    void setStackBudget(size_t bytes) { stackBudget_ = bytes; }
    // How many bytes of strings and arrays the scripts may hold at once.
    void setMemoryLimit(size_t bytes) { budget_.limit = bytes; }
    // The longest text execute accepts.
    void setMaxSourceBytes(size_t bytes) { maxSourceBytes_ = bytes; }
    // A flag another thread may set to stop a running script: it ends with
    // the time-out error at its next look at the clock. nullptr for none.
    void setStopFlag(const std::atomic<bool>* flag) { stopFlag_ = flag; }

    // Parses the text as statements and runs them. Procedures it defines stay
    // callable until reset. Throws ScriptError with its line and column, or
    // std::bad_alloc.
    void execute(std::string_view code);
    // The value of the text as one expression at global scope.
    Value evaluate(std::string_view expression);

    // Parses a text once for runPrepared (statements, as execute reads them).
    // Throws ScriptError for a compile error or a text past the length limit.
    // Strings in the text count against this interpreter's memory budget:
    // destroy the chunk before the interpreter.
    std::unique_ptr<Chunk> prepare(std::string_view code);
    // Runs a prepared text as execute runs the same text, with the same
    // limits per run, without parsing it again. The caller may change the
    // chunk's constants between runs. sameNames: the chunk's names mean the
    // same in every run (foldConstants said so, and each run starts from a
    // reset), so what a name was found as in one run holds in the next.
    void runPrepared(const Chunk& chunk, bool sameNames = false);
    // Replaces each part of the expression at node n made only of numbers,
    // operators and built-ins whose value depends on their arguments alone
    // (Sin, CInt, named constants...) by its value, computed as a run would
    // compute it; a part that fails stays, to fail where it is at run time.
    // Nothing is folded, and false returned, when the chunk's names may mean
    // other things from run to run (it defines procedures, or runs texts:
    // Eval, Execute, ExecuteGlobal, GetRef).
    bool foldConstants(Chunk& chunk, int32_t n);

    // Evaluates a text as one expression in the current scope (Eval).
    Value evalText(std::string_view text);
    // Runs a text as statements (Execute) in the current scope, or at the
    // script's level (ExecuteGlobal). What it defines stays until reset.
    void executeText(std::string_view text, bool global);
    // Limits for parsing a text at run time (Eval and friends).
    ParseLimits parseLimits() { return ParseLimits{stackLimit_, &deadline_, kMaxParseNodes}; }

    // For the built-ins.
    double rnd(double arg);
    // Raises the time-out error once the run has used its time.
    void checkTime() { checkClock(); }
    void randomize(bool hasSeed, double seed);
    Value errObject();
    const char* stackLimit() const { return stackLimit_; }

    // Error state for On Error Resume Next and the Err object.
    int errNumber = 0;
    std::string errDescription;
    std::string errSource;
    std::string errHelpFile;
    int32_t errHelpContext = 0;
    void clearErr();
    // The value of the default member of a script's instance (see objectDefault).
    Value defaultMemberValue(ObjObj* o);
    // The script's regional settings (SetLocale); nullptr for the default.
    const Locale* locale() const { return locale_; }
    void setLocale(const Locale* l);

private:
    enum class Flow { Normal, ExitDo, ExitFor, ExitProc };
    struct Frame {
        size_t localBase = 0;
        const Proc* proc = nullptr;
        bool resumeNext = false;
        ObjObj* me = nullptr;  // the instance whose method runs
    };

    const Node& node(int32_t n) const { return nodes_[n]; }
    void startCall();
    void run(const Chunk& chunk);
    void locate(ScriptError& e, const Node& nd) const;
    void tick() {
        if ((++steps_ & 0x3FF) == 0 || budget_.work > kWorkBetweenClockLooks) checkClock();
    }
    void checkClock();
    static constexpr size_t kWorkBetweenClockLooks = 1u << 20;
    static constexpr size_t kKeptNodes = 1u << 14;

    bool fold(Chunk& chunk, int32_t n);

    Flow execBlock(int32_t s);
    Flow exec(int32_t s);
    Flow execNode(const Node& nd);
    Flow execFor(const Node& nd);
    Flow execForEach(const Node& nd);
    Flow execDo(const Node& nd);
    Flow execSelect(const Node& nd);
    void execDim(const Node& nd, bool redim);
    bool condition(int32_t n);

    Value eval(int32_t n);
    Value evalNode(const Node& nd);
    Value readName(const Node& nd);
    Value callName(const Node& nd);
    // Calls a procedure with the arguments at firstArg; a method runs on me,
    // and a Property Let or Set gets `assigned` as its last argument.
    Value callProc(const Proc& proc, int32_t firstArg, ObjObj* me = nullptr, const Value* assigned = nullptr);
    Value callBuiltin(int index, int32_t firstArg);
    Value indexValue(const Value& arr, int32_t firstArg);
    Value getMember(const Value& obj, const Node& nd);
    Value callMember(const Value& obj, const Node& nd);
    void setMember(const Value& obj, const Node& nd, const Value& v, bool isSet);
    // Members of a script's instances.
    const ClassMember* visibleMember(const ObjObj* o, const Node& nd, ClassMember::Kind kind) const;
    Value getInstanceMember(ObjObj* o, const Node& nd, int32_t firstArg);
    void setInstanceMember(ObjObj* o, const Node& nd, int32_t firstArg, const Value& v, bool isSet);
    Value newInstance(const Node& nd);
    void defineClasses(const Chunk& chunk);
    void defineProcs(const Chunk& chunk);
    static void terminateInstance(ObjObj* o);
    Value& elementRef(int32_t target);
    void assign(int32_t target, Value v, bool isSet);

    Var* findVar(const Node& nd);
    Var* findLocal(std::string_view name, uint32_t hash);
    Var* findGlobal(std::string_view name, uint32_t hash);
    Var& declare(std::string_view name, uint32_t hash);  // in the current scope
    Var& varForWrite(const Node& nd);
    const Proc* findProc(std::string_view name, uint32_t hash) const;
    const Value* findObject(std::string_view name, uint32_t hash) const;
    int evalArgs(int32_t firstArg, Value* out, int max);
    // The values of the indexes at firstArg, any number of them.
    struct Indexes {
        Value small[kSmallIndexes];
        std::vector<Value> more;
        const Value* data = small;
        int count = 0;
    };
    void evalIndexes(int32_t firstArg, Indexes& out);
    std::vector<int32_t> evalBounds(int32_t firstArg);

    // Declared first so that it outlives every value the interpreter holds.
    MemoryBudget budget_;

    // The chunk being executed.
    const Node* nodes_ = nullptr;
    const Value* consts_ = nullptr;
    const Chunk* chunk_ = nullptr;
    bool explicit_ = false;

    VarPool globals_;
    NameIndex globalIndex_;
    VarPool locals_;
    std::vector<Proc> procs_;
    NameIndex procIndex_;
    std::unique_ptr<Chunk> work_ = std::make_unique<Chunk>();
    std::vector<std::unique_ptr<Chunk>> kept_;  // texts whose procedures are still callable
    std::vector<std::unique_ptr<ClassInfo>> classes_;
    std::vector<Value> withObjects_;  // the objects of the open With blocks
    bool dying_ = false;              // instances go without Class_Terminate
    struct Added {
        std::string name;
        uint32_t hash = 0;
        Value value;
    };
    std::vector<Added> objects_;
    Frame* frame_ = nullptr;
    Frame globalFrame_;

    uint64_t steps_ = 0;
    Deadline deadline_;
    std::chrono::milliseconds timeLimit_ = kDefaultTimeLimit;
    size_t stackBudget_ = kDefaultStackBudget;
    size_t maxSourceBytes_ = kDefaultMaxSourceBytes;
    const char* stackLimit_ = nullptr;
    const std::atomic<bool>* stopFlag_ = nullptr;

    const Locale* locale_ = nullptr;
    uint32_t rndState_ = 0x50000;  // the generator's documented start value
    double lastRnd_ = 0;
    Value err_;
    Value lastAdded_;
    const HostObject* lastAddedHost_ = nullptr;

    friend struct ContextGuard;
};

}  // namespace mcplot::vbs
