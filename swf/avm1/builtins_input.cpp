// System (capabilities of a desktop player on Linux), Key, Mouse, Stage and Selection. Their
// state comes from the host; their listeners are ASBroadcaster lists the runtime broadcasts to.

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/display_object.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

constexpr const char* kPlayerVersion = "LNX 8,0,34,0";

void makeBroadcaster(Vm& vm, Object* o)
{
    Value arg(o);
    vm.invoke(vm.getMember(vm.builtins().asBroadcaster, String("initialize")), nullptr, std::span<const Value>(&arg, 1));
}

Value systemNoOp(Vm&, const CallInfo&) { return Value(); }
Value systemSetClipboard(Vm&, const CallInfo&) { return Value(false); }

// --- Key ---

Value keyIsDown(Vm& vm, const CallInfo& c) { return Value(vm.host().isKeyDown(argInt(vm, c, 0))); }
Value keyIsToggled(Vm& vm, const CallInfo& c) { return Value(vm.host().isKeyToggled(argInt(vm, c, 0))); }
Value keyGetCode(Vm& vm, const CallInfo&) { return Value(static_cast<double>(vm.host().lastKeyCode())); }
Value keyGetAscii(Vm& vm, const CallInfo&) { return Value(static_cast<double>(vm.host().lastKeyAscii())); }

// --- Mouse ---

Value mouseShow(Vm& vm, const CallInfo&)
{
    vm.host().setMouseVisible(true);
    return Value(0.0);
}

Value mouseHide(Vm& vm, const CallInfo&)
{
    vm.host().setMouseVisible(false);
    return Value(1.0);
}

// --- Stage ---

Value stageWidth(Vm& vm, const CallInfo&) { return Value(vm.host().stageWidth()); }
Value stageHeight(Vm& vm, const CallInfo&) { return Value(vm.host().stageHeight()); }
Value stageScaleMode(Vm& vm, const CallInfo&) { return Value(String(vm.host().stageScaleMode())); }
Value stageSetScaleMode(Vm& vm, const CallInfo& c)
{
    vm.host().setStageScaleMode(argString(vm, c, 0).str());
    return Value();
}
Value stageAlign(Vm& vm, const CallInfo&) { return Value(String(vm.host().stageAlign())); }
Value stageSetAlign(Vm& vm, const CallInfo& c)
{
    vm.host().setStageAlign(argString(vm, c, 0).str());
    return Value();
}
Value stageShowMenu(Vm& vm, const CallInfo&) { return Value(vm.host().stageShowMenu()); }
Value stageSetShowMenu(Vm& vm, const CallInfo& c)
{
    vm.host().setStageShowMenu(vm.toBoolean(c.arg(0)));
    return Value();
}
Value stageReadOnly(Vm&, const CallInfo&) { return Value(); }

// --- Selection ---

Value selectionGetFocus(Vm& vm, const CallInfo&)
{
    DisplayNode* n = vm.host().focus();
    if (!n || !n->scriptObject()) return Value::null();
    return Value(vm.targetPathOf(n->scriptObject(), false));
}

Value selectionSetFocus(Vm& vm, const CallInfo& c)
{
    Object* target = c.arg(0).asObject();
    if (!target && c.arg(0).isString()) target = vm.resolveTarget(vm.levelObject(0), c.arg(0).asString());
    std::shared_ptr<DisplayNode> node = vm.displayNodeOf(target);
    if (c.arg(0).isNullish()) return Value(vm.host().setFocus(nullptr));
    if (!node) return Value(false);
    return Value(vm.host().setFocus(node.get()));
}

Value selectionBegin(Vm& vm, const CallInfo&) { return Value(static_cast<double>(vm.host().selectionBegin())); }
Value selectionEnd(Vm& vm, const CallInfo&) { return Value(static_cast<double>(vm.host().selectionEnd())); }
Value selectionCaret(Vm& vm, const CallInfo&) { return Value(static_cast<double>(vm.host().caretIndex())); }
Value selectionSet(Vm& vm, const CallInfo& c)
{
    vm.host().setSelection(argInt(vm, c, 0), argInt(vm, c, 1));
    return Value();
}

}  // namespace

void installSystem(Vm& vm, Object* global)
{
    Object* system = vm.newObject();
    global->define("System", Value(system));
    Object* caps = vm.newObject();
    system->define("capabilities", Value(caps), PropFlag::DontDelete);
    struct {
        const char* name;
        Value value;
    } values[] = {
        {"avHardwareDisable", Value(false)},
        {"hasAccessibility", Value(false)},
        {"hasAudio", Value(true)},
        {"hasAudioEncoder", Value(true)},
        {"hasEmbeddedVideo", Value(true)},
        {"hasIME", Value(false)},
        {"hasMP3", Value(true)},
        {"hasPrinting", Value(false)},
        {"hasScreenBroadcast", Value(false)},
        {"hasScreenPlayback", Value(false)},
        {"hasStreamingAudio", Value(true)},
        {"hasStreamingVideo", Value(true)},
        {"hasVideoEncoder", Value(true)},
        {"isDebugger", Value(false)},
        {"language", Value("en")},
        {"localFileReadDisable", Value(false)},
        {"manufacturer", Value("Macromedia Linux")},
        {"os", Value("Linux")},
        {"pixelAspectRatio", Value(1.0)},
        {"playerType", Value("StandAlone")},
        {"screenColor", Value("color")},
        {"screenDPI", Value(72.0)},
        {"screenResolutionX", Value(1024.0)},
        {"screenResolutionY", Value(768.0)},
        {"version", Value(kPlayerVersion)},
    };
    for (auto& v : values) {
        caps->define(v.name, v.value, PropFlag::DontDelete | PropFlag::ReadOnly);
    }
    caps->define("serverString",
                 Value("A=t&SA=t&SV=t&EV=t&MP3=t&AE=t&VE=t&ACC=f&PR=f&SP=f&SB=f&DEB=f&V=LNX%208%2C0%2C34%2C0&"
                       "M=Macromedia%20Linux&R=1024x768&DP=72&COL=color&AR=1.0&OS=Linux&L=en&PT=StandAlone&"
                       "AVD=f&LFD=f&WD=f"),
                 PropFlag::DontDelete | PropFlag::ReadOnly);
    Object* security = vm.newObject();
    system->define("security", Value(security), PropFlag::DontDelete);
    // Domains and policy files have no meaning for local playback: these accept and ignore.
    vm.defineMethod(security, "allowDomain", systemNoOp);
    vm.defineMethod(security, "allowInsecureDomain", systemNoOp);
    vm.defineMethod(security, "loadPolicyFile", systemNoOp);
    // Movies play from local files and may read files beside them, never the network.
    security->define("sandboxType", Value("localWithFile"), PropFlag::DontDelete | PropFlag::ReadOnly);
    vm.defineMethod(system, "showSettings", systemNoOp);
    vm.defineMethod(system, "setClipboard", systemSetClipboard);
    system->define("IME", Value(vm.newObject()), PropFlag::DontDelete);
    system->define("useCodepage", Value(false), 0);
    system->define("exactSettings", Value(false), 0);
    global->define("$version", Value(kPlayerVersion));
    vm.defineMethod(global, "getVersion", [](Vm&, const CallInfo&) { return Value(kPlayerVersion); });
}

void installInput(Vm& vm, Object* global)
{
    // Key
    Object* key = vm.newObject();
    global->define("Key", Value(key));
    makeBroadcaster(vm, key);
    vm.defineMethod(key, "isDown", keyIsDown);
    vm.defineMethod(key, "isToggled", keyIsToggled);
    vm.defineMethod(key, "getCode", keyGetCode);
    vm.defineMethod(key, "getAscii", keyGetAscii);
    vm.registerNative(800, 0, keyGetAscii);
    vm.registerNative(800, 1, keyGetCode);
    vm.registerNative(800, 2, keyIsDown);
    vm.registerNative(800, 3, keyIsToggled);
    struct {
        const char* name;
        double code;
    } codes[] = {{"ALT", 18},    {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46},
                 {"DOWN", 40},   {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},
                 {"INSERT", 45}, {"LEFT", 37},     {"PGDN", 34},     {"PGUP", 33},    {"RIGHT", 39},
                 {"SHIFT", 16},  {"SPACE", 32},    {"TAB", 9},       {"UP", 38}};
    for (auto& k : codes) key->define(k.name, Value(k.code), PropFlag::Hidden | PropFlag::ReadOnly);

    // Mouse
    Object* mouse = vm.newObject();
    global->define("Mouse", Value(mouse));
    makeBroadcaster(vm, mouse);
    vm.defineMethod(mouse, "show", mouseShow);
    vm.defineMethod(mouse, "hide", mouseHide);

    // Stage
    Object* stage = vm.newObject();
    global->define("Stage", Value(stage));
    makeBroadcaster(vm, stage);
    vm.defineAccessor(stage, "width", stageWidth, stageReadOnly);
    vm.defineAccessor(stage, "height", stageHeight, stageReadOnly);
    vm.defineAccessor(stage, "scaleMode", stageScaleMode, stageSetScaleMode);
    vm.defineAccessor(stage, "align", stageAlign, stageSetAlign);
    vm.defineAccessor(stage, "showMenu", stageShowMenu, stageSetShowMenu);

    // Selection
    Object* selection = vm.newObject();
    global->define("Selection", Value(selection));
    makeBroadcaster(vm, selection);
    vm.defineMethod(selection, "getFocus", selectionGetFocus);
    vm.defineMethod(selection, "setFocus", selectionSetFocus);
    vm.defineMethod(selection, "getBeginIndex", selectionBegin);
    vm.defineMethod(selection, "getEndIndex", selectionEnd);
    vm.defineMethod(selection, "getCaretIndex", selectionCaret);
    vm.defineMethod(selection, "setSelection", selectionSet);

    vm.setInputObjects(key, mouse, stage, selection);
}

}  // namespace swf::avm1
