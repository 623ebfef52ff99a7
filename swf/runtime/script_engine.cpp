#include "swf/runtime/script_engine.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "swf/avm1/display_object.h"
#include "swf/avm1/load_progress.h"
#include "swf/avm1/string.h"
#include "swf/avm1/text_encoding.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_geometry.h"
#include "swf/runtime/loaded_text.h"
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
    : movie_(std::move(movie)), callbacks_(std::move(callbacks)), loaded_([this] {
          if (callbacks_.moviesReleased) callbacks_.moviesReleased();
      })
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

std::string ScriptEngine::exportNameOf(const DisplayObject& object) const
{
    const std::uint16_t characterId = object.characterId();
    if (characterId == 0) return {};
    // A clip a movie was loaded into plays that movie's root, no symbol of it.
    if (object.kind() == ObjectKind::MovieClip &&
        &static_cast<const MovieClip&>(object).timeline() == &object.movie().timeline())
        return {};
    for (const AssetEntry& e : object.movie().exports())
        if (e.characterId == characterId) return e.name;
    return {};
}

std::shared_ptr<const Movie> ScriptEngine::movieOfActions(std::span<const std::uint8_t> actions,
                                                          const DisplayObject& object) const
{
    const auto holds = [&](const Movie& movie) {
        const auto data = movie.data();
        const auto begin = reinterpret_cast<std::uintptr_t>(data.data());
        const auto at = reinterpret_cast<std::uintptr_t>(actions.data());
        return at >= begin && at - begin <= data.size() && actions.size() <= data.size() - (at - begin);
    };
    int hops = 0;
    for (const DisplayObject* o = &object; o && hops < 64; o = o->parent(), ++hops)
        if (holds(o->movie())) return o->moviePointer();
    return object.moviePointer();
}

DisplayObject& ScriptEngine::movieRootOf(DisplayObject& object)
{
    DisplayObject* o = &object;
    while (o->parent() && &o->parent()->movie() == &object.movie()) o = o->parent();
    return *o;
}

std::u16string ScriptEngine::urlOf(const Movie& movie) const
{
    for (const auto& [weak, url] : movieUrls_)
        if (auto m = weak.lock(); m.get() == &movie) return url;
    return u"file:///movie.swf";
}

ScriptNode& ScriptEngine::nodeOf(DisplayObject& object)
{
    if (!object.scriptNode()) {
        auto node = std::make_shared<ScriptNode>(*this, object);
        object.setScriptNode(node);
        node->setScriptObject(vm_->createDisplayObject(node, avm1::String::fromUtf8(exportNameOf(object))));
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

void ScriptEngine::beginTick()
{
    vm_->beginFrame();
    finishLoads();
}

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
    std::shared_ptr<const Movie> movie = movieOfActions(actions, timeline);
    const int version = movie->version();
    vm_->runActions(avm1::ActionBlock::borrowed(std::move(movie), actions, version), scriptObjectOf(timeline));
}

void ScriptEngine::runInitActions(MovieClip& timeline, std::uint16_t, std::span<const std::uint8_t> actions)
{
    // Init actions run on the root of the movie that defines the sprite.
    runActions(actions, movieRootOf(timeline));
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
    if (clip.kind() == ObjectKind::MovieClip && clip.movie().version() < 6) return false;
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
    if (object.kind() == ObjectKind::MovieClip && object.movie().version() < 6 && event != clip_event::EnterFrame &&
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
    const std::string exportName = exportNameOf(object);
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
    return queueOwnUnload(object) || childUnloads;
}

bool ScriptEngine::queueOwnUnload(DisplayObject& object)
{
    std::vector<std::span<const std::uint8_t>> unloadActions;
    for (const ClipAction& a : object.clipActions())
        if (a.events & clip_event::Unload) unloadActions.push_back(a.actions);
    avm1::Object* self = object.scriptNode() ? object.scriptNode()->scriptObject() : nullptr;
    // Only a clip with something to run on Unload is kept until it has run (looked up without
    // running script: no getter or __resolve is called while the display list changes).
    bool hasHandler = false;
    int hops = 0;
    for (avm1::Object* o = self; o && !hasHandler && hops < 256; o = o->proto(), ++hops)
        hasHandler = o->findOwn(avm1::String(u"onUnload"), object.movie().version() >= 7) != nullptr;
    if (unloadActions.empty() && !hasHandler) return false;
    if (!self) self = scriptObjectOf(object);
    pendingUnload_.push_back(self);
    std::shared_ptr<const Movie> actionsMovie =
        unloadActions.empty() ? movie_ : movieOfActions(unloadActions.front(), object);
    stage_->queueCall([this, self, unloadActions, actionsMovie] {
        for (auto actions : unloadActions)
            vm_->runActions(avm1::ActionBlock::borrowed(actionsMovie, actions, actionsMovie->version()), self);
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
    if (!object.parent()) return "_level" + std::to_string(object.level());
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
    MovieClip* root = stage_ ? stage_->level(level) : nullptr;
    return root ? &nodeOf(*root) : nullptr;
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
    case avm1::UrlRequest::Kind::LoadVariables:
    case avm1::UrlRequest::Kind::LoadVars:
    case avm1::UrlRequest::Kind::LoadXml: loadData(request); return;
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
    if (!request.targetNode) return request.level >= 0 ? stage_->level(request.level) : nullptr;
    auto* node = dynamic_cast<ScriptNode*>(request.targetNode);
    DisplayObject* object = node ? node->object() : nullptr;
    return object && object->kind() == ObjectKind::MovieClip ? static_cast<MovieClip*>(object) : nullptr;
}

void ScriptEngine::loadMovie(const avm1::UrlRequest& request)
{
    const std::string url = avm1::String(request.url).toUtf8();
    const auto resolved = resolveLocalUrl(url, callbacks_.baseDirectory);
    MovieClip* target = requestTarget(request);
    if (const auto* refused = std::get_if<RefusedUrl>(&resolved)) {
        warn("loadMovie refused: " + refused->reason);
        // A MovieClipLoader hears the failure before the frame ends.
        if (request.scriptObject && stage_) {
            activeLoaders_.push_back(request.scriptObject);
            notifyLoader(request.scriptObject, u"onLoadError", target ? target->id() : 0,
                         {avm1::Value(avm1::String(u"URLNotFound"))}, true);
        }
        return;
    }
    const std::string path = std::get<LocalFile>(resolved).path;
    if (!stage_) return;
    const bool toLevel = !request.targetNode && request.level > 0;
    if (!toLevel && !target) return;
    // Level 0 (or its root) takes the whole player: the movie is replaced.
    if (target && target->isRoot() && target->level() == 0) {
        if (callbacks_.replaceMovie) callbacks_.replaceMovie(path);
        return;
    }
    PendingLoad load;
    load.loader = request.scriptObject;
    const ObjectId targetId = target ? target->id() : 0;
    std::error_code missing;
    if (!std::filesystem::is_regular_file(path, missing)) {
        // Known at once: the loader hears it before the frame ends, and the target stays.
        warn("loadMovie: cannot open " + path + "; the target is left as it was");
        if (load.loader) {
            activeLoaders_.push_back(load.loader);
            notifyLoader(load.loader, u"onLoadError", targetId, {avm1::Value(avm1::String(u"URLNotFound"))}, true);
        }
        return;
    }
    if (load.loader) activeLoaders_.push_back(load.loader);
    if (target && target->isRoot()) {
        load.level = target->level();
    } else if (target) {
        load.target = target->id();
    } else {
        load.level = request.level;
    }
    load.path = path;
    std::error_code error;
    const std::filesystem::path relative = std::filesystem::relative(path, callbacks_.baseDirectory, error);
    load.url = toUtf16("file:///" + (error ? std::filesystem::path(path).filename() : relative).generic_string());
    // A later request for the same target replaces an earlier one still waiting.
    std::erase_if(pendingLoads_, [&](const PendingLoad& p) {
        const bool same = p.target == load.target && p.level == load.level;
        if (same) dropLoader(p.loader);
        return same;
    });
    pendingLoads_.push_back(std::move(load));
}

void ScriptEngine::loadData(const avm1::UrlRequest& request)
{
    PendingData load;
    if (request.kind == avm1::UrlRequest::Kind::LoadVariables) {
        MovieClip* target = requestTarget(request);
        if (target && target->isRoot())
            load.level = target->level();
        else if (target)
            load.target = target->id();
        else if (!request.targetNode && request.level >= 0)
            load.level = request.level;
        else
            return;
    } else {
        load.receiver = request.scriptObject;
        if (!load.receiver) return;
    }
    const std::string url = avm1::String(request.url).toUtf8();
    const auto resolved = resolveLocalUrl(url, callbacks_.baseDirectory);
    if (const auto* refused = std::get_if<RefusedUrl>(&resolved)) {
        warn("loading variables or XML refused: " + refused->reason);
        // A clip hears nothing of a failed load; an object is told through onData.
        if (!load.receiver) return;
    } else {
        load.path = std::get<LocalFile>(resolved).path;
    }
    if (load.receiver) dataReceivers_.push_back(load.receiver);
    pendingData_.push_back(std::move(load));
}

void ScriptEngine::readPendingData()
{
    std::vector<PendingData> loads = std::exchange(pendingData_, {});
    if (loads.empty()) return;
    avm1::Object* system = vm_->getMember(vm_->global(), avm1::String(u"System")).asObject();
    const bool useCodepage = system && vm_->toBoolean(vm_->getMember(system, avm1::String(u"useCodepage")));
    for (PendingData& load : loads) {
        std::optional<std::u16string> text;
        double bytes = 0;
        if (!load.path.empty()) {
            auto read = readLoadedText(load.path, useCodepage);
            if (auto* loaded = std::get_if<LoadedText>(&read)) {
                bytes = static_cast<double>(loaded->bytes);
                text = std::move(loaded->text);
            } else {
                warn("loading variables or XML: " + std::get<std::string>(read));
            }
        }
        if (!text && !load.receiver) continue;
        stage_->queueCall([this, load, text = std::move(text), bytes] { deliverData(load, text, bytes); });
    }
}

void ScriptEngine::deliverData(const PendingData& load, const std::optional<std::u16string>& text, double bytes)
{
    if (avm1::Object* receiver = load.receiver) {
        // onData(text), or onData() when the load failed; its default parses and calls onLoad.
        auto it = std::find(dataReceivers_.begin(), dataReceivers_.end(), receiver);
        if (it != dataReceivers_.end()) dataReceivers_.erase(it);
        if (text) avm1::markLoadArrived(*vm_, receiver, bytes);
        const avm1::Value arg = text ? avm1::Value(avm1::String(*text)) : avm1::Value();
        vm_->callMethod(receiver, avm1::String(u"onData"), std::span(&arg, 1));
        return;
    }
    DisplayObject* object = load.target ? stage_->find(load.target) : stage_->level(load.level);
    if (!object || object->removed() || object->kind() != ObjectKind::MovieClip || !text) return;
    avm1::Object* clip = scriptObjectOf(*object);
    if (!clip) return;
    for (auto& [name, value] : avm1::decodeFormVariables(*text, object->movie().version() >= 6))
        vm_->setMember(clip, avm1::String(std::move(name)), avm1::Value(avm1::String(std::move(value))));
    clipEvent(*object, clip_event::Data);
}

void ScriptEngine::finishLoads()
{
    if (!stage_) return;
    readPendingData();
    std::vector<PendingLoad> loads = std::exchange(pendingLoads_, {});
    for (PendingLoad& load : loads) {
        MovieClip* clip = nullptr;
        if (load.target) {
            // A target removed in the meantime cancels its load.
            DisplayObject* o = stage_->find(load.target);
            if (!o || o->removed() || o->kind() != ObjectKind::MovieClip) {
                dropLoader(load.loader);
                continue;
            }
            clip = static_cast<MovieClip*>(o);
        }
        LoadedMovies::Result result = loaded_.load(load.path);
        if (!result.movie) {
            warn("loadMovie: " + result.error + "; the target is left as it was");
            if (load.loader)
                notifyLoader(load.loader, u"onLoadError", load.target, {avm1::Value(avm1::String(u"LoadNeverCompleted"))},
                             true);
            continue;
        }
        std::erase_if(movieUrls_, [](const auto& entry) { return entry.first.expired(); });
        movieUrls_.emplace_back(result.movie, load.url);
        const double bytes = static_cast<double>(result.movie->facts().declaredFileLength);
        ObjectId target = load.target;
        if (clip && stage_->find(load.target) != clip) {  // gone while the file was read
            dropLoader(load.loader);
            continue;
        }
        if (load.loader) {
            // The events name the clip as it is when they run: the loaded one.
            notifyLoader(load.loader, u"onLoadStart", target);
            notifyLoader(load.loader, u"onLoadProgress", target, {avm1::Value(bytes), avm1::Value(bytes)});
            notifyLoader(load.loader, u"onLoadComplete", target, {avm1::Value(0.0)});
        }
        if (clip)
            replaceClipContent(*clip, std::move(result.movie));
        else
            target = stage_->loadLevel(load.level, std::move(result.movie)).id();
        // After the first frame's scripts of the loaded movie.
        if (load.loader) notifyLoader(load.loader, u"onLoadInit", target, {}, true);
    }
}

void ScriptEngine::notifyLoader(avm1::Object* loader, const char16_t* event, ObjectId target,
                                std::vector<avm1::Value> extra, bool last)
{
    if (!stage_) return;
    stage_->queueCall([this, loader, event, target, extra = std::move(extra), last] {
        // Through the loader's own broadcastMessage, which a script may have replaced.
        std::vector<avm1::Value> args{avm1::Value(avm1::String(event))};
        DisplayObject* o = target ? stage_->find(target) : nullptr;
        args.push_back(o ? avm1::Value(scriptObjectOf(*o)) : avm1::Value());
        args.insert(args.end(), extra.begin(), extra.end());
        const avm1::String method(u"broadcastMessage");
        if (vm_->hasMethod(loader, method))
            vm_->callMethod(loader, method, args);
        else
            vm_->broadcastMessage(loader, avm1::String(event), std::span(args).subspan(1));
        if (last) dropLoader(loader);
    });
}

void ScriptEngine::dropLoader(avm1::Object* loader)
{
    if (auto it = std::find(activeLoaders_.begin(), activeLoaders_.end(), loader); it != activeLoaders_.end())
        activeLoaders_.erase(it);
}

void ScriptEngine::replaceClipContent(MovieClip& clip, std::shared_ptr<const Movie> movie)
{
    // References scripts hold to the clip and what it showed find it again by path: the clip's
    // new script object has only what the loaded movie gives it.
    // _lockroot belongs to the clip, not to the movie it shows: a holder locked before the load
    // stays locked.
    std::optional<avm1::Value> lockRoot;
    if (auto* node = static_cast<ScriptNode*>(clip.scriptNode().get()); node && node->scriptObject())
        if (const avm1::Property* p = node->scriptObject()->findOwn(avm1::String(u"_lockroot"), false); p && !p->getter)
            lockRoot = p->value;
    objectLeaving(clip);
    if (auto* node = static_cast<ScriptNode*>(clip.scriptNode().get())) {
        node->objectGone();
        clip.setScriptNode(nullptr);
    }
    if (focus_ == clip.id()) focus_ = 0;
    clip.replaceContent(std::move(movie));
    if (lockRoot) vm_->setMember(scriptObjectOf(clip), avm1::String(u"_lockroot"), *lockRoot);
    // The clip's own clip events stay: it hears Load and Data once the movie is in.
    stage_->queueClipEvent(clip, clip_event::Load);
    stage_->queueClipEvent(clip, clip_event::Data);
}

void ScriptEngine::unloadMovie(const avm1::UrlRequest& request)
{
    MovieClip* target = requestTarget(request);
    const int level = target && target->isRoot() ? target->level() : request.targetNode ? -1 : request.level;
    // A load still waiting for the same target is dropped with it.
    std::erase_if(pendingLoads_, [&](const PendingLoad& p) {
        const bool same = level > 0 ? p.level == level && !p.target : target && p.target == target->id();
        if (same) dropLoader(p.loader);
        return same;
    });
    if (level > 0) {
        if (stage_) stage_->unloadLevel(level);
        return;
    }
    if (!target) return;
    // The clip stays, but what it showed is unloaded: it hears its own Unload after its children.
    target->unloadContent();
    queueOwnUnload(*target);
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
    for (avm1::Object* o : activeLoaders_) tracer.mark(o);
    for (avm1::Object* o : dataReceivers_) tracer.mark(o);
}

}  // namespace swf::runtime
