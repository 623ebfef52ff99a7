#pragma once
// The ActionScript 1/2 virtual machine: heap, global object and built-in classes, interpreter,
// limits and timers. The runtime drives it:
//
//  * runActions() for frame actions, init actions, clip event actions and button actions, with
//    the timeline they belong to (clip events and buttons: see the runtime notes in README).
//  * callMethod() for event handler methods (onEnterFrame, onPress, onLoad, ...).
//  * beginFrame() once per tick (resets the time budget), runTimers() for setInterval, and
//    collectGarbage() between ticks.
//  * createDisplayObject()/initializeClip()/detachDisplayObject() around display objects.
//
// Nothing here is shared between threads; a Vm belongs to one player.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "swf/avm1/code.h"
#include "swf/avm1/display_host.h"
#include "swf/avm1/gc.h"
#include "swf/avm1/object.h"
#include "swf/avm1/value.h"
#include "swf/format/limits.h"

namespace swf::avm1 {

struct ScriptLimits {
    int maxRecursion = limits::kMaxScriptRecursion;          // the ScriptLimits tag may change it
    double timeoutSeconds = limits::kScriptSecondsPerFrame;  // wall time of one frame's scripts
    // Actions one frame's scripts may execute; 0 = no count limit (time only). Tests set a
    // count so that the limit is deterministic.
    std::uint64_t actionBudget = 0;
    std::size_t maxStackValues = limits::kMaxScriptStackValues;
    std::size_t maxHeapCells = limits::kMaxScriptHeapCells;
    std::size_t maxStringLength = limits::kMaxScriptStringLength;
    std::size_t maxTimers = limits::kMaxScriptTimers;  // setInterval/setTimeout waiting at once
    // Native stack a script may use (guards deep nesting of natives and blocks); 0 means what
    // the running thread has left, less a safety margin.
    std::size_t maxNativeStackBytes = 0;
};

struct VmOptions {
    ScriptLimits limits;
    std::uint32_t randomStart = 0;  // 0: started from the clock
    int rootSwfVersion = 7;        // version of the main movie (case rules outside scripts)
};

// Why a script stopped early; reported through the warning handler.
enum class AbortReason : std::uint8_t { Timeout, Recursion, StackOverflow, HeapExhausted, MalformedCode };

class Vm {
public:
    explicit Vm(DisplayHost& host, VmOptions options = {});
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    DisplayHost& host() { return host_; }
    const VmOptions& options() const { return options_; }
    void setScriptLimits(const ScriptLimits& limits) { options_.limits = limits; }
    void setRootSwfVersion(int version) { options_.rootSwfVersion = version; }
    void setWarningHandler(std::function<void(const std::string&)> handler) { warn_ = std::move(handler); }

    // --- Running code ---

    // Runs an action block on `timeline` (its script object: `this`, the target, the base of the
    // scope chain). Errors, uncaught throws and limits end the block with a warning; they never
    // escape. Returns false if the block was stopped early.
    bool runActions(const ActionBlock& code, Object* timeline);
    // Calls obj[name](args) if it is a function; returns undefined when it is missing.
    Value callMethod(Object* obj, const String& name, std::span<const Value> args = {});
    Value callFunction(const Value& fn, Object* thisObj, std::span<const Value> args);
    // True if obj[name] is a function (handlers the runtime needs to know about).
    bool hasMethod(Object* obj, const String& name);
    // The listeners of an ASBroadcaster source receive `name(args)`.
    void broadcastMessage(Object* source, const String& name, std::span<const Value> args = {});

    // Resets the per-frame execution budget. Call once per tick before the frame's scripts.
    void beginFrame();
    // Fires every setInterval/setTimeout callback that is due at host().timerMs().
    void runTimers();
    // Frees unreachable objects. Only between scripts (a no-op while a script runs).
    std::size_t collectGarbage();
    std::size_t heapSize() const { return heap_.size(); }
    bool scriptsDisabled() const { return false; }

    // --- Display objects ---

    // Makes the script object for a node. The prototype is that of the class registered for
    // `exportName` (Object.registerClass) or the kind's built-in class. The runtime stores the
    // returned object in the node; it stays alive as long as the node does.
    Object* createDisplayObject(const std::shared_ptr<DisplayNode>& node, const String& exportName = {});
    // Copies `initObject`'s properties onto a new clip, then runs the registered class's
    // constructor on it (if any). Run before the clip's first frame actions.
    void initializeClip(Object* clip, Object* initObject, const String& exportName = {});
    // The class registered for an export name (null when none).
    FunctionObject* registeredClass(const String& exportName);
    // Tells a script object its node is gone; references to it then resolve by `finalPath`
    // (dot syntax), so that a clip re-created under the same name is found again.
    void detachDisplayObject(Object* obj, const String& finalPath);
    // The node behind a script object, if it still exists.
    std::shared_ptr<DisplayNode> displayNodeOf(const Object* obj);

    // --- Variables (text field binding, loadVariables) ---

    // A variable given as a path ("score", "/hud:score", "_root.hud.score") from `base`.
    Value getVariable(Object* base, const String& path);
    void setVariable(Object* base, const String& path, const Value& value);

    // --- Objects for the runtime ---

    Object* global() const { return global_; }
    Object* keyObject() const { return key_; }
    Object* mouseObject() const { return mouse_; }
    Object* stageObject() const { return stage_; }
    Object* selectionObject() const { return selection_; }

    // Property access with the full script semantics (getters, __resolve, display objects).
    Value getMember(Object* obj, const String& name);
    void setMember(Object* obj, const String& name, const Value& value);
    bool deleteMember(Object* obj, const String& name);
    bool hasProperty(Object* obj, const String& name);
    bool hasOwnProperty(Object* obj, const String& name);

    // Conversions under the rules of the executing code's version (or the root movie's).
    double toNumber(const Value& v);
    String toString(const Value& v);
    bool toBoolean(const Value& v);
    std::int32_t toInt32(const Value& v);
    enum class PrimitiveHint { None, Number, String };
    Value toPrimitive(const Value& v, PrimitiveHint hint = PrimitiveHint::None);
    // Primitives are wrapped by the global String/Number/Boolean constructor of the moment (a
    // script may replace them); null when that is not a function.
    Object* toObject(const Value& v);
    // Whether the global constructor for primitives of this type is still the built-in one.
    bool builtinWrapperFor(const Value& v);
    String typeOf(const Value& v);
    std::string toUtf8(const Value& v) { return toString(v).toUtf8(); }

    // --- For the built-ins (natives) ---

    Heap& heap() { return heap_; }
    int version() const { return version_; }
    bool caseSensitive() const { return version_ >= 7; }
    std::mt19937& random() { return random_; }
    void warn(const std::string& message);

    // The player keeps numbers in boxes and compares NaNs by box: a NaN equals only copies of
    // itself. A NaN made by a computation gets a new identity here (kept in its payload bits).
    Value freshNaN();
    static bool isUntaggedNaN(double d);

    Object* newObject();
    ArrayObject* newArray(std::vector<Value> values = {});
    FunctionObject* newNative(NativeFunction fn, std::size_t length = 0);
    FunctionObject* newConstructor(NativeFunction fn, Object* prototype, NativeAllocator allocator = nullptr);
    Object* newPrimitiveObject(const Value& primitive);
    // Defines a native method on `target`.
    FunctionObject* defineMethod(Object* target, const String& name, NativeFunction fn,
                                 std::uint16_t flags = PropFlag::Hidden);
    // addProperty with natives.
    void defineAccessor(Object* target, const String& name, NativeFunction getter,
                        NativeFunction setter, std::uint16_t flags = PropFlag::Hidden);

    // Calls made by natives: script exceptions and aborts propagate to the calling script.
    Value invoke(const Value& fn, Object* thisObj, std::span<const Value> args);
    Value invokeMethod(Object* obj, const String& name, std::span<const Value> args);
    Value invokeFunction(FunctionObject* fn, Object* thisObj, std::span<const Value> args,
                         Object* homeProto, bool isConstruct);
    void broadcast(Object* source, const String& name, std::span<const Value> args);
    // new ctor(args); `ctor` must be a function or the result is undefined.
    Value construct(const Value& ctor, std::span<const Value> args);
    // Looks `name` up along obj's prototype chain; `holder` receives the object that has it.
    Value findMember(Object* obj, const String& name, Object*& holder);
    bool instanceOf(const Value& v, Object* ctor);
    void setInterfaces(Object* prototype, std::vector<Object*> interfaces);
    // Property lookup along the prototype chain without __resolve; false if absent.
    bool lookupMember(Object* obj, const String& name, Value& out);
    // Asks obj.__resolve(name) for a missing property; false if obj has no __resolve.
    bool resolveMissing(Object* obj, const String& name, Value& out);
    // Names a for..in over `obj` visits, in the order Enumerate pushes them.
    std::vector<String> enumerableNames(Object* obj);
    // name=value&... of the enumerable variables of a timeline (GET/POST requests).
    String formEncodeVariables(Object* timeline);
    void setExecutingVersion(int version) { version_ = version; }
    void setInputObjects(Object* key, Object* mouse, Object* stage, Object* selection)
    {
        key_ = key;
        mouse_ = mouse;
        stage_ = stage;
        selection_ = selection;
    }
    // Throws a script exception (catchable by try/catch).
    [[noreturn]] void throwValue(const Value& v);
    // Joins two texts; stops the script when the result would pass maxStringLength.
    String concat(const String& a, const String& b);
    // Stops the script if natives and blocks have used too much of the native stack.
    void checkNativeStack();
    // Stops the running script (not catchable).
    [[noreturn]] void abort(AbortReason reason, const std::string& detail);

    // Built-in prototypes and constructors.
    struct Builtins {
        Object* objectProto = nullptr;
        Object* functionProto = nullptr;
        Object* arrayProto = nullptr;
        Object* stringProto = nullptr;
        Object* numberProto = nullptr;
        Object* booleanProto = nullptr;
        Object* dateProto = nullptr;
        Object* errorProto = nullptr;
        Object* movieClipProto = nullptr;
        Object* buttonProto = nullptr;
        Object* textFieldProto = nullptr;
        Object* textFormatProto = nullptr;
        Object* xmlNodeProto = nullptr;
        Object* xmlProto = nullptr;
        Object* soundProto = nullptr;
        FunctionObject* objectCtor = nullptr;
        FunctionObject* functionCtor = nullptr;
        FunctionObject* arrayCtor = nullptr;
        FunctionObject* asBroadcaster = nullptr;
        FunctionObject* textFormatCtor = nullptr;
        FunctionObject* stringCtor = nullptr;
        FunctionObject* numberCtor = nullptr;
        FunctionObject* booleanCtor = nullptr;
    };
    Builtins& builtins() { return builtins_; }

    // ASnative(table, index) functions.
    void registerNative(int table, int index, NativeFunction fn);
    Value nativeFunction(int table, int index);

    // Object.registerClass
    void registerClass(const String& exportName, FunctionObject* ctor);

    // Timers (setInterval/setTimeout).
    int addTimer(const Value& fn, Object* thisObj, const String& method, double intervalMs,
                 std::vector<Value> args, bool repeat);
    void clearTimer(int id);

    // Target paths: resolves a path from `base` ("" is base itself). Null if nothing there.
    Object* resolveTarget(Object* base, const String& path);
    // Slash path ("/a/b", "_level1/a") and dot path ("_level0.a.b") of a display object.
    String targetPathOf(Object* obj, bool slashSyntax);
    // The root of the level/movie `obj` belongs to (honours _lockroot).
    Object* rootOf(Object* obj);
    Object* levelObject(int level);

    std::uint64_t actionsExecuted() const { return actionsExecuted_; }

    // Internal pieces shared by the interpreter's files.
    struct Frame;
    class Interpreter;
    struct Internals;
    Internals& internals() { return *internals_; }

private:
    friend class Interpreter;
    friend struct Internals;
    void installBuiltins();
    void traceRoots(Tracer& t);
    // Where a script entered from the host begins: frame and event code, or a function's body.
    // The owner keeps the bytes (and so the address that names them) alive.
    struct StoppableCode {
        std::shared_ptr<const void> owner;
        const std::uint8_t* start = nullptr;
    };
    static StoppableCode codeOf(const ActionBlock& block, std::size_t offset = 0);
    StoppableCode codeOf(const Value& function) const;
    template <class F>
    bool enterFromHost(F&& body, const StoppableCode& code);
    template <class F>
    bool enterFromHost(F&& body) { return enterFromHost(std::forward<F>(body), StoppableCode{}); }

    DisplayHost& host_;
    VmOptions options_;
    std::function<void(const std::string&)> warn_;
    Heap heap_;
    std::mt19937 random_;
    int version_ = 7;

    Object* global_ = nullptr;
    Object* key_ = nullptr;
    Object* mouse_ = nullptr;
    Object* stage_ = nullptr;
    Object* selection_ = nullptr;
    Builtins builtins_;
    std::unique_ptr<Internals> internals_;
    std::uint64_t actionsExecuted_ = 0;
};

}  // namespace swf::avm1
