// Variables, target paths and the actions that address timelines: GetVariable/SetVariable with
// slash and dot paths, SetTarget, GetProperty/SetProperty, GotoFrame2, Call, GetURL.

#include <cmath>

#include "swf/avm1/display_object.h"
#include "swf/avm1/interpreter.h"
#include "swf/avm1/number_format.h"

namespace swf::avm1 {

namespace {

bool isDisplay(const Object* o) { return o && o->kind() == ObjectKind::Display; }

std::shared_ptr<DisplayNode> nodeOf(Object* o)
{
    if (!isDisplay(o)) return nullptr;
    return static_cast<DisplayWrapper*>(o)->node();
}

bool hasPathCharacters(std::u16string_view s)
{
    for (char16_t c : s) {
        if (c == u':' || c == u'/' || c == u'.') return true;
    }
    return false;
}

}  // namespace

// --- Scope chain ---

bool Vm::Interpreter::findVariable(Frame& f, const String& name, Value& out)
{
    for (Scope* s = f.scope; s; s = s->parent) {
        if (!s->object) continue;
        if (vm_.lookupMember(s->object, name, out)) return true;
        // An object with __resolve answers for every name asked of it.
        if (s->object->kind() != ObjectKind::Activation && vm_.resolveMissing(s->object, name, out)) return true;
    }
    return false;
}

Value Vm::Interpreter::getVariable(Frame& f, const String& name)
{
    std::u16string_view view = name.view();
    const bool cs = vm_.caseSensitive();
    if (view.empty()) return Value();
    if (hasPathCharacters(view)) {
        // A target path alone names a clip; otherwise the last ':' or '.' separates the variable.
        if (view.find(u':') == std::u16string_view::npos && view.find(u'.') == std::u16string_view::npos) {
            if (Object* o = resolvePath(&f, f.target ? f.target : f.origTarget, view)) return Value(o);
            return Value();
        }
        std::u16string_view path;
        String var;
        if (splitVariablePath(name, path, var)) {
            // Along the scope chain, the first object where the whole path leads to an existing
            // variable wins; otherwise the first where the path itself leads somewhere.
            Object* start = f.target ? f.target : f.origTarget;
            Object* base = resolvePath(&f, start, path, true, &var);
            if (!base) base = resolvePath(&f, start, path, true);
            if (!base) return Value();
            return vm_.getMember(base, var);
        }
    }
    if (f.thisByName && (cs ? name == in_.names.thisName : name.equalsIgnoreCase(in_.names.thisName))) {
        return f.thisObj ? Value(f.thisObj) : Value();
    }
    Value v;
    if (findVariable(f, name, v)) return v;
    if (cs ? name == in_.names.global : name.equalsIgnoreCase(in_.names.global)) {
        if (f.version >= 6) return Value(vm_.global());
        return Value();
    }
    if (cs ? name == in_.names.root : name.equalsIgnoreCase(in_.names.root)) {
        Object* r = vm_.rootOf(f.target ? f.target : f.origTarget);
        return r ? Value(r) : Value();
    }
    int level = levelOfName(view, cs);
    if (level >= 0) {
        Object* l = vm_.levelObject(level);
        return l ? Value(l) : Value();
    }
    return Value();
}

void Vm::Interpreter::setVariable(Frame& f, const String& name, const Value& v)
{
    std::u16string_view view = name.view();
    if (view.empty()) return;
    if (hasPathCharacters(view)) {
        std::u16string_view path;
        String var;
        if (splitVariablePath(name, path, var)) {
            // Assignments go to the first scope where the path leads to an object.
            if (Object* base = resolvePath(&f, f.target ? f.target : f.origTarget, path, true)) vm_.setMember(base, var, v);
            return;
        }
    }
    // An existing variable anywhere on the chain is assigned where it lives; a new one goes to
    // the timeline (or the function's defining timeline).
    for (Scope* s = f.scope; s; s = s->parent) {
        if (!s->object || s->object == vm_.global()) continue;
        if (vm_.hasProperty(s->object, name)) {
            vm_.setMember(s->object, name, v);
            return;
        }
    }
    Object* target = f.target ? f.target : f.origTarget;
    if (!target) {
        // A With or a scope without a timeline: the innermost object that is not global.
        for (Scope* s = f.scope; s; s = s->parent) {
            if (s->object && s->object != vm_.global()) {
                target = s->object;
                break;
            }
        }
    }
    if (target) vm_.setMember(target, name, v);
}

void Vm::Interpreter::defineLocal(Frame& f, const String& name, const Value& v)
{
    // On a timeline a name with a path ("/:x", "_root.y") is assigned through the path, as
    // SetVariable does; in a function it is just a local's name.
    if (!f.activation && hasPathCharacters(name.view())) {
        std::u16string_view path;
        String var;
        if (splitVariablePath(name, path, var)) {
            setVariable(f, name, v);
            return;
        }
    }
    if (f.activation) {
        Property* p = f.activation->findOwn(name, vm_.caseSensitive());
        if (p) {
            p->value = v;
        } else {
            f.activation->define(name, v, 0);
        }
        return;
    }
    // Timeline code: a With object that has the name itself (not through its prototypes)
    // takes it, otherwise the timeline does.
    for (Scope* s = f.scope; s && s != f.baseScope; s = s->parent) {
        if (s->object && vm_.hasOwnProperty(s->object, name)) {
            vm_.setMember(s->object, name, v);
            return;
        }
    }
    Object* target = f.target ? f.target : f.origTarget;
    if (target) vm_.setMember(target, name, v);
}

bool Vm::Interpreter::splitVariablePath(const String& name, std::u16string_view& path, String& var) const
{
    std::u16string_view view = name.view();
    std::size_t colon = view.rfind(u':');
    std::size_t dot = view.rfind(u'.');
    std::size_t cut;
    if (colon != std::u16string_view::npos) {
        cut = colon;
    } else if (dot != std::u16string_view::npos) {
        // ".." is the parent, never a separator before a variable name.
        if (dot > 0 && view[dot - 1] == u'.') return false;
        cut = dot;
    } else {
        std::size_t slash = view.rfind(u'/');
        if (slash == std::u16string_view::npos) return false;
        cut = slash;
        path = view.substr(0, slash == 0 ? 1 : slash);
        var = String(view.substr(slash + 1));
        return !var.empty();
    }
    path = view.substr(0, cut);
    var = String(view.substr(cut + 1));
    return !var.empty();
}

// --- Target paths ---

// One step of a path: on a clip, a child of that name comes before a variable of that name.
Object* Vm::Interpreter::pathStep(Object* cur, const String& name)
{
    if (cur && cur->kind() == ObjectKind::Display) {
        if (auto node = static_cast<DisplayWrapper*>(cur)->node()) {
            if (DisplayNode* child = node->childByName(name.view(), vm_.caseSensitive() && node->swfVersion() >= 7)) {
                return child->scriptObject();
            }
        }
    }
    Value v;
    if (cur && vm_.lookupMember(cur, name, v)) return v.asObject();
    return nullptr;
}

Object* Vm::Interpreter::resolvePath(Frame* f, Object* base, std::u16string_view path, bool fromScope,
                                     const String* mustHave)
{
    if (path.empty()) return base;
    const bool cs = vm_.caseSensitive();
    Object* cur = base;
    std::size_t i = 0;
    if (path[0] == u'/') {
        cur = vm_.rootOf(base);
        i = 1;
    }
    bool first = true;
    while (i < path.size() && cur) {
        // Parent: ".." in slash syntax.
        if (path.compare(i, 2, u"..") == 0 && (i + 2 == path.size() || path[i + 2] == u'/' || path[i + 2] == u'.' ||
                                               path[i + 2] == u':')) {
            std::shared_ptr<DisplayNode> n = nodeOf(cur);
            DisplayNode* p = n ? n->parent() : nullptr;
            cur = p ? p->scriptObject() : nullptr;
            i += 2;
            if (i < path.size()) ++i;  // separator
            first = false;
            continue;
        }
        std::size_t j = i;
        while (j < path.size() && path[j] != u'/' && path[j] != u'.' && path[j] != u':') ++j;
        std::u16string_view seg = path.substr(i, j - i);
        // Two slashes in a row ("//", "/a//b") name no clip.
        if (seg.empty() && i > 0 && path[i - 1] == u'/' && j < path.size() && path[j] == u'/') return nullptr;
        i = j < path.size() ? j + 1 : j;
        if (seg.empty()) continue;
        String segName(seg);
        auto is = [&](const String& n) { return cs ? segName == n : segName.equalsIgnoreCase(n); };
        if (is(in_.names.root)) {
            cur = vm_.rootOf(cur);
        } else if (is(in_.names.parent)) {
            std::shared_ptr<DisplayNode> n = nodeOf(cur);
            DisplayNode* p = n ? n->parent() : nullptr;
            cur = p ? p->scriptObject() : nullptr;
        } else if (first && is(in_.names.thisName) && f) {
            cur = f->thisObj ? f->thisObj : cur;
        } else if (first && is(in_.names.global) && vm_.version() >= 6) {
            cur = vm_.global();
        } else if (int level = levelOfName(seg, cs); level >= 0) {
            cur = vm_.levelObject(level);
        } else if (first && fromScope && f) {
            // The path of a variable starts with a name looked up along the scope chain; a
            // scope whose object does not lead all the way gives way to the next one.
            std::u16string_view rest = path.substr(i);
            for (Scope* s = f->scope; s; s = s->parent) {
                if (!s->object) continue;
                Object* start = pathStep(s->object, segName);
                if (!start) continue;
                Object* found = rest.empty() ? start : resolvePath(f, start, rest, false);
                if (found && (!mustHave || vm_.hasProperty(found, *mustHave))) return found;
            }
            return nullptr;
        } else {
            Object* next = pathStep(cur, segName);
            if (!next && first && f) {
                Value v;
                if (findVariable(*f, segName, v)) next = v.asObject();
            }
            cur = next;
        }
        first = false;
    }
    return cur;
}

Object* Vm::Interpreter::resolveTargetValue(Frame& f, const Value& target)
{
    // A clip is its own target; any other object names one with its text.
    if (Object* o = target.asObject(); o && o->kind() == ObjectKind::Display) return o;
    Object* base = f.target ? f.target : f.origTarget;
    String path = vm_.toString(target);
    if (path.empty()) return base;
    return resolvePath(&f, base, path.view());
}

void Vm::Interpreter::setTarget(Frame& f, Object* target)
{
    f.target = target;
    // Variables follow the target: rebuild the chain below any With blocks. While the target
    // names no clip, they live on the root timeline.
    Object* timeline = target ? target : vm_.rootOf(f.origTarget);
    if (!timeline) timeline = f.origTarget;
    if (!f.activation && f.withDepth == 0) f.baseScope = f.scope = timelineScope(timeline);
}

// --- Properties by number ---

Value Vm::Interpreter::getProperty(Frame& f, Object* target, int index)
{
    Value v = getDisplayProperty(vm_, target, index);
    if (v.isUndefined() && f.version < 5) return Value(String());
    return v;
}

void Vm::Interpreter::setProperty(Frame& /*f*/, Object* target, int index, const Value& v)
{
    setDisplayProperty(vm_, target, index, v);
}

// --- Frames of other timelines ---

namespace {
// Splits "path:frame" into the path and the frame part; no colon means no path.
void splitFramePath(std::u16string_view s, std::u16string_view& path, std::u16string_view& frame)
{
    std::size_t colon = s.rfind(u':');
    if (colon == std::u16string_view::npos) {
        path = {};
        frame = s;
    } else {
        path = s.substr(0, colon);
        frame = s.substr(colon + 1);
    }
}
}  // namespace

void Vm::Interpreter::doGotoFrame2(Frame& f, const Value& frame, bool play, int bias)
{
    Object* target = f.target;
    std::shared_ptr<DisplayNode> node;
    if (frame.isString()) {
        std::u16string_view path, part;
        splitFramePath(frame.asString().view(), path, part);
        if (!path.empty()) target = resolvePath(&f, f.target ? f.target : f.origTarget, path);
        node = nodeOf(target);
        if (!node) return;
        double n = stringToNumber(part, 5);
        if (!std::isnan(n)) {
            node->gotoFrame(toClampedInt(n + bias), play);
        } else {
            node->gotoLabel(part, play);
        }
        return;
    }
    node = nodeOf(target);
    if (!node) return;
    double n = vm_.toNumber(frame);
    if (std::isnan(n)) return;
    node->gotoFrame(toClampedInt(std::trunc(n) + bias), play);
}

bool Vm::Interpreter::frameLoaded(Frame& f, const Value& frame)
{
    Object* target = f.target;
    double n = 0;
    std::shared_ptr<DisplayNode> node;
    if (frame.isString()) {
        std::u16string_view path, part;
        splitFramePath(frame.asString().view(), path, part);
        if (!path.empty()) target = resolvePath(&f, f.target ? f.target : f.origTarget, path);
        node = nodeOf(target);
        if (!node) return true;
        n = stringToNumber(part, 5);
        if (std::isnan(n)) n = node->frameOfLabel(part);
    } else {
        node = nodeOf(target);
        if (!node) return true;
        n = vm_.toNumber(frame);
    }
    return n <= node->property(DisplayProperty::FramesLoaded);
}

void Vm::Interpreter::doCall(Frame& f, const Value& frame)
{
    Object* target = f.target;
    std::shared_ptr<DisplayNode> node;
    int number = 0;
    std::u16string_view path, part;
    String text = vm_.toString(frame);
    splitFramePath(text.view(), path, part);
    if (!path.empty()) target = resolvePath(&f, f.target ? f.target : f.origTarget, path);
    node = nodeOf(target);
    if (!node) return;
    double n = stringToNumber(part, 5);
    number = std::isnan(n) ? node->frameOfLabel(part) : toClampedInt(n);
    if (number <= 0) return;
    // The frame's actions run as a subroutine on that timeline.
    std::vector<ActionBlock> blocks = node->frameActions(number);
    for (const ActionBlock& b : blocks) {
        Frame sub;
        runTimelineFrame(sub, b, target);
    }
}

// --- GetURL ---

void Vm::Interpreter::doGetUrl(Frame& f, const String& url, const String& target, int flags)
{
    static constexpr std::u16string_view kFsCommand = u"FSCommand:";
    std::u16string_view u = url.view();
    if (u.size() >= kFsCommand.size() && equalsIgnoreCase(u.substr(0, kFsCommand.size()), kFsCommand)) {
        vm_.host().fsCommand(std::u16string(u.substr(kFsCommand.size())), target.str());
        return;
    }
    UrlRequest req;
    req.url = url.str();
    bool loadVariables = flags >= 0 && (flags & 0x80);
    bool loadTarget = flags >= 0 && (flags & 0x40);
    int method = flags >= 0 ? (flags & 0x03) : 0;
    req.method = method == 1 ? HttpMethod::Get : (method == 2 ? HttpMethod::Post : HttpMethod::None);
    Object* timeline = f.target ? f.target : f.origTarget;
    if (req.method != HttpMethod::None && timeline) req.variables = vm_.formEncodeVariables(timeline).str();

    // Load targets name levels in any case ("_level1" from loadMovieNum, or as typed).
    int level = levelOfName(target.view(), false);
    if (loadTarget || level >= 0) {
        std::shared_ptr<DisplayNode> node;
        if (level < 0) {
            node = nodeOf(resolvePath(&f, timeline, target.view()));
            if (!node) return;
            req.targetNode = node.get();
        } else {
            req.level = level;
        }
        if (loadVariables) {
            req.kind = UrlRequest::Kind::LoadVariables;
        } else if (url.empty()) {
            req.kind = UrlRequest::Kind::UnloadMovie;
        } else {
            req.kind = UrlRequest::Kind::LoadMovie;
        }
        vm_.host().urlRequest(req);
        return;
    }
    req.kind = loadVariables ? UrlRequest::Kind::LoadVariables : UrlRequest::Kind::OpenUrl;
    req.window = target.str();
    if (loadVariables) req.targetNode = nodeOf(timeline).get();
    vm_.host().urlRequest(req);
}

}  // namespace swf::avm1
