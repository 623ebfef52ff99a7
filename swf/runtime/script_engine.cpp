#include "swf/runtime/script_engine.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/display_object.h"
#include "swf/avm1/string.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_geometry.h"
#include "swf/runtime/local_url.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/script_node.h"
#include "swf/runtime/stage.h"

namespace swf::runtime {
namespace {

avm1::VmOptions optionsFor(const Movie& movie, double timeLimitSeconds)
{
    avm1::VmOptions o;
    o.rootSwfVersion = std::max(1, movie.version());
    if (timeLimitSeconds > 0) o.limits.timeoutSeconds = timeLimitSeconds;
    if (const auto& limits = movie.facts().scriptLimits) {
        if (limits->maxRecursionDepth > 0) o.limits.maxRecursion = limits->maxRecursionDepth;
        if (limits->timeoutSeconds > 0) o.limits.timeoutSeconds = limits->timeoutSeconds;
    }
    return o;
}

bool allowedUrlScheme(const std::string& url)
{
    std::string lower;
    for (char c : url.substr(0, 8)) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("mailto:", 0) == 0;
}

}  // namespace

ScriptEngine::ScriptEngine(std::shared_ptr<const Movie> movie, ScriptCallbacks callbacks)
    : movie_(std::move(movie)), callbacks_(std::move(callbacks))
{
    vm_ = std::make_unique<avm1::Vm>(*this, optionsFor(*movie_, callbacks_.timeLimitSeconds));
    vm_->setWarningHandler([this](const std::string& w) { warn("script: " + w); });
}

ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::warn(const std::string& message)
{
    if (callbacks_.warning) callbacks_.warning(message);
}

void ScriptEngine::attachStage(Stage& stage) { stage_ = &stage; }

std::string ScriptEngine::exportNameOf(std::uint16_t characterId) const
{
    if (characterId == 0) return {};
    for (const AssetEntry& e : movie_->exports())
        if (e.characterId == characterId) return e.name;
    return {};
}

ScriptNode& ScriptEngine::nodeOf(DisplayObject& object)
{
    if (!object.scriptNode()) {
        auto node = std::make_shared<ScriptNode>(*this, object);
        object.setScriptNode(node);
        node->setScriptObject(vm_->createDisplayObject(node, avm1::String::fromUtf8(exportNameOf(object.characterId()))));
    }
    return static_cast<ScriptNode&>(*object.scriptNode());
}

avm1::Object* ScriptEngine::scriptObjectOf(DisplayObject& object) { return nodeOf(object).scriptObject(); }

DisplayObject* ScriptEngine::objectOf(const avm1::Value& value)
{
    avm1::Object* o = value.asObject();
    if (!o) return nullptr;
    auto node = vm_->displayNodeOf(o);
    auto* n = dynamic_cast<ScriptNode*>(node.get());
    return n ? n->object() : nullptr;
}

void ScriptEngine::beginTick() { vm_->beginFrame(); }

void ScriptEngine::endTick()
{
    vm_->runTimers();
    syncTextVariables();
    updateDrag();
    vm_->collectGarbage();
}

void ScriptEngine::runActions(std::span<const std::uint8_t> actions, DisplayObject& timeline)
{
    if (actions.empty()) return;
    vm_->runActions(avm1::ActionBlock::borrowed(movie_, actions, movie_->version()), scriptObjectOf(timeline));
}

void ScriptEngine::runInitActions(std::uint16_t, std::span<const std::uint8_t> actions)
{
    if (stage_) runActions(actions, stage_->root());
}

void ScriptEngine::runFrameActions(MovieClip& clip, std::span<const std::uint8_t> actions) { runActions(actions, clip); }

void ScriptEngine::runClipActions(DisplayObject& object, ClipEventBits event, int keyCode)
{
    const ObjectId id = object.id();
    for (const ClipAction& action : object.clipActions()) {
        if (!(action.events & event)) continue;
        if (event == clip_event::KeyPress && action.keyCode != keyCode) continue;
        // An earlier handler may have removed the object.
        if (!stage_ || stage_->find(id) != &object) return;
        runActions(action.actions, object);
    }
}

void ScriptEngine::callHandler(DisplayObject& object, const char16_t* name, std::span<const avm1::Value> args)
{
    avm1::Object* self = scriptObjectOf(object);
    if (vm_->hasMethod(self, avm1::String(name))) vm_->callMethod(self, avm1::String(name), args);
}

bool ScriptEngine::hasHandler(DisplayObject& object, const char16_t* name)
{
    return vm_->hasMethod(scriptObjectOf(object), avm1::String(name));
}

bool ScriptEngine::isMouseTarget(DisplayObject& clip)
{
    constexpr ClipEventBits buttonEvents = clip_event::Press | clip_event::Release | clip_event::ReleaseOutside |
                                           clip_event::RollOver | clip_event::RollOut | clip_event::DragOver |
                                           clip_event::DragOut;
    for (const ClipAction& action : clip.clipActions())
        if (action.events & buttonEvents) return true;
    if (clip.kind() == ObjectKind::MovieClip && movie_->version() < 6) return false;
    for (const char16_t* name : {u"onPress", u"onRelease", u"onReleaseOutside", u"onRollOver", u"onRollOut",
                                 u"onDragOver", u"onDragOut"})
        if (hasHandler(clip, name)) return true;
    return false;
}

void ScriptEngine::broadcast(avm1::Object* source, const char16_t* name, std::span<const avm1::Value> args)
{
    vm_->broadcastMessage(source, avm1::String(name), args);
}

void ScriptEngine::clipEvent(DisplayObject& object, ClipEventBits event)
{
    const ObjectId id = object.id();
    runClipActions(object, event);
    if (!stage_ || stage_->find(id) != &object) return;
    const char16_t* handler = nullptr;
    switch (event) {
    case clip_event::EnterFrame: handler = u"onEnterFrame"; break;
    case clip_event::Load: handler = u"onLoad"; break;
    case clip_event::MouseDown: handler = u"onMouseDown"; break;
    case clip_event::MouseUp: handler = u"onMouseUp"; break;
    case clip_event::MouseMove: handler = u"onMouseMove"; break;
    case clip_event::KeyDown: handler = u"onKeyDown"; break;
    case clip_event::KeyUp: handler = u"onKeyUp"; break;
    case clip_event::Press: handler = u"onPress"; break;
    case clip_event::Release: handler = u"onRelease"; break;
    case clip_event::ReleaseOutside: handler = u"onReleaseOutside"; break;
    case clip_event::RollOver: handler = u"onRollOver"; break;
    case clip_event::RollOut: handler = u"onRollOut"; break;
    case clip_event::DragOver: handler = u"onDragOver"; break;
    case clip_event::DragOut: handler = u"onDragOut"; break;
    case clip_event::Data: handler = u"onData"; break;
    default: break;
    }
    // Mouse and key clip events reach the object as listener-style handlers only through
    // the Mouse and Key broadcasters; onMouseDown etc. on a clip are called there too.
    if (!handler) return;
    if (object.kind() == ObjectKind::MovieClip && movie_->version() < 6 && event != clip_event::EnterFrame &&
        event != clip_event::Load)
        return;
    callHandler(object, handler);
}

void ScriptEngine::initializeObject(DisplayObject& object)
{
    if (object.kind() == ObjectKind::EditText) {
        registerTextVariable(static_cast<EditTextObject&>(object));
        return;
    }
    if (object.kind() == ObjectKind::MovieClip) runClipActions(object, clip_event::Initialize);
}

void ScriptEngine::constructObject(DisplayObject& object)
{
    if (object.kind() != ObjectKind::MovieClip) return;
    const ObjectId id = object.id();
    avm1::Object* self = scriptObjectOf(object);
    runClipActions(object, clip_event::Construct);
    if (!stage_ || stage_->find(id) != &object) return;
    const std::string exportName = exportNameOf(object.characterId());
    if (!exportName.empty()) vm_->initializeClip(self, nullptr, avm1::String::fromUtf8(exportName));
}

bool ScriptEngine::objectRemoved(DisplayObject& object)
{
    if (!stage_) return false;
    if (object.kind() == ObjectKind::EditText) boundFields_.erase(object.id());
    if (focus_ == object.id()) focus_ = 0;
    if (drag_.object == object.id()) drag_ = {};
    if (object.kind() != ObjectKind::MovieClip) return false;
    // Children leave with their parent: each gets its Unload, inner ones first.
    bool childUnloads = false;
    if (DisplayList* list = object.children())
        for (DisplayObject* child : list->snapshot()) childUnloads |= objectRemoved(*child);
    std::vector<std::span<const std::uint8_t>> unloadActions;
    for (const ClipAction& a : object.clipActions())
        if (a.events & clip_event::Unload) unloadActions.push_back(a.actions);
    avm1::Object* self = object.scriptNode() ? object.scriptNode()->scriptObject() : nullptr;
    // Only a clip with something to run on Unload is kept until it has run (looked up without
    // running script: no getter or __resolve is called while the display list changes).
    bool hasHandler = false;
    int hops = 0;
    for (avm1::Object* o = self; o && !hasHandler && hops < 256; o = o->proto(), ++hops)
        hasHandler = o->findOwn(avm1::String(u"onUnload"), movie_->version() >= 7) != nullptr;
    if (unloadActions.empty() && !hasHandler) return childUnloads;
    if (!self) self = scriptObjectOf(object);
    pendingUnload_.push_back(self);
    stage_->queueCall([this, self, unloadActions] {
        for (auto actions : unloadActions)
            vm_->runActions(avm1::ActionBlock::borrowed(movie_, actions, movie_->version()), self);
        if (vm_->hasMethod(self, avm1::String(u"onUnload"))) vm_->callMethod(self, avm1::String(u"onUnload"));
        auto it = std::find(pendingUnload_.begin(), pendingUnload_.end(), self);
        if (it != pendingUnload_.end()) pendingUnload_.erase(it);
    });
    return true;
}

namespace {

// "_level0.a.b" from the names up the tree, without touching script objects.
std::string dotPath(const DisplayObject& object)
{
    if (!object.parent()) return "_level0";
    return dotPath(*object.parent()) + "." + object.name();
}

}  // namespace

void ScriptEngine::objectLeaving(DisplayObject& object)
{
    // References scripts keep find the object again only by its path from now on.
    if (auto* node = static_cast<ScriptNode*>(object.scriptNode().get())) {
        if (auto* w = dynamic_cast<avm1::DisplayWrapper*>(node->scriptObject()); w && !w->detached)
            vm_->detachDisplayObject(w, avm1::String::fromUtf8(dotPath(object)));
    }
    if (DisplayList* list = object.children())
        for (const auto& child : list->items()) objectLeaving(*child);
}

void ScriptEngine::objectDestroyed(DisplayObject& object)
{
    auto* node = static_cast<ScriptNode*>(object.scriptNode().get());
    if (!node) return;
    if (avm1::Object* self = node->scriptObject()) {
        // Already detached when removed by a timeline or script; otherwise by its own path.
        if (auto* w = dynamic_cast<avm1::DisplayWrapper*>(self); w && !w->detached)
            vm_->detachDisplayObject(self, avm1::String::fromUtf8(object.path()));
    }
    node->objectGone();
    boundFields_.erase(object.id());
}

// --- Text variables ---

void ScriptEngine::registerTextVariable(EditTextObject& field)
{
    if (field.definition().variableName.empty()) {
        boundFields_.erase(field.id());
        return;
    }
    boundFields_[field.id()] = u"\x01unset";
    DisplayObject* parent = field.parent();
    if (!parent) return;
    avm1::Object* base = scriptObjectOf(*parent);
    const avm1::String path = avm1::String::fromUtf8(field.definition().variableName);
    const avm1::Value current = vm_->getVariable(base, path);
    if (current.isUndefined()) {
        // The field's own text gives the variable its first value.
        const std::u16string text = toUtf16(field.text());
        vm_->setVariable(base, path, avm1::Value(avm1::String(text)));
        boundFields_[field.id()] = text;
    } else {
        const avm1::String text = vm_->toString(current);
        field.setText(toUtf8(text.view()));
        boundFields_[field.id()] = text.str();
    }
}

void ScriptEngine::syncTextVariables()
{
    if (!stage_) return;
    std::vector<ObjectId> ids;
    for (const auto& entry : boundFields_) ids.push_back(entry.first);
    for (ObjectId id : ids)
        if (auto* field = dynamic_cast<EditTextObject*>(stage_->find(id))) refreshTextVariable(*field);
}

void ScriptEngine::refreshTextVariable(EditTextObject& field)
{
    auto it = boundFields_.find(field.id());
    if (it == boundFields_.end() || !field.parent() || field.definition().variableName.empty()) return;
    avm1::Object* base = scriptObjectOf(*field.parent());
    const avm1::Value v = vm_->getVariable(base, avm1::String::fromUtf8(field.definition().variableName));
    if (v.isUndefined()) return;
    const avm1::String text = vm_->toString(v);
    it = boundFields_.find(field.id());
    if (it == boundFields_.end() || it->second == text.view()) return;
    it->second = text.str();
    field.setText(toUtf8(text.view()));
}

void ScriptEngine::textEdited(EditTextObject& field)
{
    if (field.definition().variableName.empty() || !field.parent()) return;
    const std::u16string text = toUtf16(field.text());
    auto it = boundFields_.find(field.id());
    if (it != boundFields_.end()) it->second = text;
    vm_->setVariable(scriptObjectOf(*field.parent()), avm1::String::fromUtf8(field.definition().variableName),
                     avm1::Value(avm1::String(text)));
}

// --- DisplayHost ---

avm1::DisplayNode* ScriptEngine::levelRoot(int level)
{
    if (level != 0 || !stage_) return nullptr;
    return &nodeOf(stage_->root());
}

void ScriptEngine::trace(const std::u16string& line)
{
    if (callbacks_.trace) callbacks_.trace(avm1::String(line).toUtf8());
}

void ScriptEngine::urlRequest(const avm1::UrlRequest& request)
{
    const std::string url = avm1::String(request.url).toUtf8();
    switch (request.kind) {
    case avm1::UrlRequest::Kind::OpenUrl:
        if (url.empty()) return;
        if (!allowedUrlScheme(url)) {
            warn("getURL refused (only http, https and mailto open): " + url);
            return;
        }
        if (callbacks_.openUrl) callbacks_.openUrl(url, avm1::String(request.window).toUtf8());
        return;
    case avm1::UrlRequest::Kind::LoadMovie: loadMovie(request); return;
    case avm1::UrlRequest::Kind::UnloadMovie: unloadMovie(request); return;
    default:
        warn("loading " + url + " is not supported; the request is ignored");
        return;
    }
}

bool ScriptEngine::scriptFlag(DisplayObject& object, const char16_t* name, bool fallback)
{
    avm1::Object* o = scriptObjectOf(object);
    if (!o) return fallback;
    const avm1::Value v = vm_->getMember(o, avm1::String(name));
    return v.isUndefined() ? fallback : vm_->toBoolean(v);
}

MovieClip* ScriptEngine::requestTarget(const avm1::UrlRequest& request)
{
    if (!stage_) return nullptr;
    if (!request.targetNode) return request.level == 0 ? &stage_->root() : nullptr;
    auto* node = dynamic_cast<ScriptNode*>(request.targetNode);
    DisplayObject* object = node ? node->object() : nullptr;
    return object && object->kind() == ObjectKind::MovieClip ? static_cast<MovieClip*>(object) : nullptr;
}

void ScriptEngine::loadMovie(const avm1::UrlRequest& request)
{
    const std::string url = avm1::String(request.url).toUtf8();
    const auto resolved = resolveLocalUrl(url, callbacks_.baseDirectory);
    if (const auto* refused = std::get_if<RefusedUrl>(&resolved)) {
        warn("loadMovie refused: " + refused->reason);
        return;
    }
    MovieClip* target = requestTarget(request);
    if (!target || !target->isRoot()) {
        // Clips and levels above 0 would hold a second movie's characters beside this one's.
        warn("loadMovie into a clip or a level above 0 is not supported; " + url + " is not loaded");
        return;
    }
    if (callbacks_.replaceMovie) callbacks_.replaceMovie(std::get<LocalFile>(resolved).path);
}

void ScriptEngine::unloadMovie(const avm1::UrlRequest& request)
{
    // Levels above 0 never hold a movie here, so there is nothing to unload on them.
    if (MovieClip* target = requestTarget(request)) target->unloadContent();
}

void ScriptEngine::fsCommand(const std::u16string& command, const std::u16string& args)
{
    const std::string cmd = avm1::String(command).toUtf8();
    std::string lower;
    for (char c : cmd) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "quit") quit_ = true;
    if (callbacks_.fsCommand) callbacks_.fsCommand(cmd, avm1::String(args).toUtf8());
}

void ScriptEngine::setKeyDown(int keyCode, bool down)
{
    if (down) {
        if (!keysDown_.count(keyCode)) {
            if (keysToggled_.count(keyCode))
                keysToggled_.erase(keyCode);
            else
                keysToggled_.insert(keyCode);
        }
        keysDown_.insert(keyCode);
    } else {
        keysDown_.erase(keyCode);
    }
}

void ScriptEngine::startDrag(avm1::DisplayNode& node, bool lockCenter, std::optional<avm1::PixelRect> constraint)
{
    auto* n = dynamic_cast<ScriptNode*>(&node);
    if (!n || !n->object()) return;
    DisplayObject& o = *n->object();
    drag_.object = o.id();
    drag_.lockCenter = lockCenter;
    drag_.constraint = constraint;
    // The offset between the object's position and the mouse, in the parent's pixels.
    Point mouseLocal{mouse_.x * 20, mouse_.y * 20};
    if (o.parent()) mouseLocal = stageToLocal(*o.parent(), mouseLocal);
    drag_.offset = lockCenter ? Point{} : Point{(o.matrix().tx - mouseLocal.x) / 20, (o.matrix().ty - mouseLocal.y) / 20};
    updateDrag();
}

void ScriptEngine::updateDrag()
{
    if (!drag_.object || !stage_) return;
    DisplayObject* o = stage_->find(drag_.object);
    if (!o) {
        drag_ = {};
        return;
    }
    Point mouseLocal{mouse_.x * 20, mouse_.y * 20};
    if (o->parent()) mouseLocal = stageToLocal(*o->parent(), mouseLocal);
    double x = mouseLocal.x / 20 + drag_.offset.x, y = mouseLocal.y / 20 + drag_.offset.y;
    if (drag_.constraint) {
        const auto& c = *drag_.constraint;
        x = std::clamp(x, std::min(c.xMin, c.xMax), std::max(c.xMin, c.xMax));
        y = std::clamp(y, std::min(c.yMin, c.yMax), std::max(c.yMin, c.yMax));
    }
    o->placement().matrix.tx = std::round(x * 20);
    o->placement().matrix.ty = std::round(y * 20);
    o->setScriptControlled(true);
}

double ScriptEngine::stageWidth() const { return movie_->facts().widthPx(); }
double ScriptEngine::stageHeight() const { return movie_->facts().heightPx(); }

DisplayObject* ScriptEngine::focusedObject() const { return stage_ && focus_ ? stage_->find(focus_) : nullptr; }

void ScriptEngine::setFocusedObject(DisplayObject* object)
{
    DisplayObject* old = focusedObject();
    if (old == object) return;
    const ObjectId newId = object ? object->id() : 0;
    const avm1::Value oldValue = old ? avm1::Value(scriptObjectOf(*old)) : avm1::Value::null();
    const avm1::Value newValue = object ? avm1::Value(scriptObjectOf(*object)) : avm1::Value::null();
    // The old object hears onKillFocus while it still has the focus.
    if (old) {
        const avm1::Value args[] = {newValue};
        callHandler(*old, u"onKillFocus", args);
    }
    focus_ = newId;
    DisplayObject* now = focusedObject();
    if (now && now->kind() == ObjectKind::EditText) {
        const int end = static_cast<int>(toUtf16(static_cast<EditTextObject*>(now)->text()).size());
        selectionBegin_ = selectionEnd_ = end;
    } else {
        selectionBegin_ = selectionEnd_ = -1;
    }
    if (now) {
        const avm1::Value args[] = {oldValue};
        callHandler(*now, u"onSetFocus", args);
    }
    const avm1::Value args[] = {oldValue, newValue};
    broadcast(vm_->selectionObject(), u"onSetFocus", args);
}

avm1::DisplayNode* ScriptEngine::focus() const
{
    DisplayObject* o = focusedObject();
    return o ? const_cast<ScriptEngine*>(this)->nodeOf(*o).scriptObject() ? &const_cast<ScriptEngine*>(this)->nodeOf(*o) : nullptr
             : nullptr;
}

bool ScriptEngine::setFocus(avm1::DisplayNode* node)
{
    auto* n = dynamic_cast<ScriptNode*>(node);
    if (node && (!n || !n->object())) return false;
    setFocusedObject(n ? n->object() : nullptr);
    return true;
}

void ScriptEngine::stopAllSounds()
{
    if (stage_) stage_->sound().stopAll();
}

void ScriptEngine::traceRoots(avm1::Tracer& tracer)
{
    for (avm1::Object* o : pendingUnload_) tracer.mark(o);
}

}  // namespace swf::runtime
