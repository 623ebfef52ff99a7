#include "swf/runtime/stage.h"

#include <algorithm>
#include <charconv>

#include "swf/format/display_tags.h"
#include "swf/format/limits.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/movie_clip.h"

namespace swf::runtime {
namespace {

class SilentSoundHost final : public SoundHost {
public:
    void startSound(std::uint16_t, const SoundInfo&, ObjectId) override {}
    StreamHandle openStream(const Timeline&, ObjectId) override { return 0; }
    void closeStream(StreamHandle) override {}
    void startStream(StreamHandle, int) override {}
    void stopStream(StreamHandle) override {}
    std::optional<int> streamFrame(StreamHandle) const override { return std::nullopt; }
    void stopAll() override {}
};

bool isLevelName(std::string_view segment, bool caseSensitive, int& level)
{
    constexpr std::string_view prefix = "_level";
    if (segment.size() <= prefix.size() || !namesEqual(segment.substr(0, prefix.size()), prefix, caseSensitive))
        return false;
    const std::string_view digits = segment.substr(prefix.size());
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), level);
    return error == std::errc() && end == digits.data() + digits.size();
}

}  // namespace

Stage::Stage(std::shared_ptr<const Movie> movie, StageHooks hooks) : movie_(std::move(movie)), hooks_(std::move(hooks))
{
    if (hooks_.sound) {
        sound_ = hooks_.sound;
    } else {
        silence_ = std::make_unique<SilentSoundHost>();
        sound_ = silence_.get();
    }
    if (const auto& bg = movie_->facts().background) background_ = Rgba{bg->r, bg->g, bg->b, 255};
    emptyTimeline_.endFrame();
    emptyTimeline_.setHasEndTag(true);
    if (hooks_.scripts) hooks_.scripts->attachStage(*this);
    root_ = std::make_unique<MovieClip>(*this, movie_, movie_->timeline(), 0);
    root_->attach(nullptr, 0);
    root_->initialize();
    // The main movie's Load comes after its first frame's actions.
    queueClipEvent(*root_, clip_event::Load);
    runQueuedScripts();
}

Stage::~Stage()
{
    queue_.clear();
    initializeQueue_.clear();
    constructQueue_.clear();
    retiredLevels_.clear();
    levels_.clear();
    root_.reset();
}

MovieClip* Stage::level(int number) const
{
    if (number == 0) return root_.get();
    auto it = levels_.find(number);
    return it == levels_.end() ? nullptr : it->second.get();
}

std::vector<MovieClip*> Stage::levelRoots() const
{
    std::vector<MovieClip*> roots{root_.get()};
    for (const auto& [number, clip] : levels_) roots.push_back(clip.get());
    return roots;
}

MovieClip& Stage::loadLevel(int number, std::shared_ptr<const Movie> movie)
{
    unloadLevel(number);
    const Timeline& timeline = movie->timeline();
    auto clip = std::make_unique<MovieClip>(*this, std::move(movie), timeline, 0);
    MovieClip& root = *clip;
    levels_[number] = std::move(clip);
    root.setLevel(number);
    root.attach(nullptr, 0);
    root.initialize();
    queueClipEvent(root, clip_event::Load);
    return root;
}

void Stage::unloadLevel(int number)
{
    auto it = levels_.find(number);
    if (number <= 0 || it == levels_.end()) return;
    MovieClip& root = *it->second;
    // The level's clips hear their Unload; script objects keep only their paths.
    if (hooks_.scripts) {
        hooks_.scripts->objectRemoved(root);
        hooks_.scripts->objectLeaving(root);
    }
    markRemovedTree(root);
    // Unload handlers queued above still run: the clip stays alive until the queue is done.
    retiredLevels_.push_back(std::move(it->second));
    levels_.erase(it);
}

void Stage::warnOnce(const std::string& message)
{
    if (warned_.insert(message).second) warn(message);
}

void Stage::warn(const std::string& message) const
{
    if (hooks_.warning) hooks_.warning(message);
}

ObjectId Stage::registerObject(DisplayObject& object)
{
    const ObjectId id = nextId_++;
    objects_.emplace(id, &object);
    return id;
}

void Stage::unregisterObject(ObjectId id) { objects_.erase(id); }

DisplayObject* Stage::find(ObjectId id) const
{
    auto it = objects_.find(id);
    return it == objects_.end() ? nullptr : it->second;
}

bool Stage::mayCreateObject(int nesting)
{
    auto refuse = [this](const std::string& message) {
        if (warned_.insert(message).second) warn(message);
        return false;
    };
    if (nesting > limits::kMaxDisplayNesting)
        return refuse("display objects nested more than " + std::to_string(limits::kMaxDisplayNesting) +
                      " deep are not created (a sprite that contains itself?)");
    if (objects_.size() >= limits::kMaxDisplayObjects)
        return refuse("more than " + std::to_string(limits::kMaxDisplayObjects) +
                      " display objects at once: further objects are not created");
    return true;
}

std::vector<DisplayObject*> Stage::advanceOrder(const DisplayObject& parent)
{
    const DisplayList* list = parent.children();
    if (!list) return {};
    std::vector<DisplayObject*> order = list->snapshot();
    std::reverse(order.begin(), order.end());
    return order;
}

void Stage::tick()
{
    ++tick_;
    if (hooks_.scripts) hooks_.scripts->beginTick();
    // Clips run from the newest to the oldest (the root last); ids grow with creation.
    std::vector<ObjectId> clips;
    for (MovieClip* levelRoot : levelRoots()) collectClips(*levelRoot, clips);
    std::sort(clips.begin(), clips.end(), std::greater<>());
    for (ObjectId id : clips) {
        DisplayObject* object = find(id);
        // Gone since, or created in this tick (it has just run its first frame).
        if (!object || object->bornTick() == tick_ || object->inert()) continue;
        auto& clip = static_cast<MovieClip&>(*object);
        queueClipEvent(clip, clip_event::EnterFrame);
        clip.advance();
    }
    runQueuedScripts();
    if (hooks_.scripts) {
        hooks_.scripts->endTick();
        runQueuedScripts();
    }
}

void Stage::collectClips(DisplayObject& object, std::vector<ObjectId>& out)
{
    if (object.kind() == ObjectKind::MovieClip) out.push_back(object.id());
    if (const DisplayList* list = object.children())
        for (const auto& child : list->items()) collectClips(*child, out);
}

void Stage::queueFrameActions(MovieClip& clip, std::span<const std::uint8_t> actions)
{
    if (!hooks_.scripts) return;
    QueuedScript q;
    q.kind = QueuedScript::Kind::FrameActions;
    q.object = clip.id();
    q.actions = actions;
    queue_.push_back(q);
}

void Stage::queueInitActions(MovieClip& clip, std::uint16_t spriteId, std::span<const std::uint8_t> actions)
{
    if (!hooks_.scripts || !markInitActionsRun(clip, spriteId)) return;
    QueuedScript q;
    q.kind = QueuedScript::Kind::InitActions;
    q.object = clip.id();
    q.spriteId = spriteId;
    q.actions = actions;
    // Init actions run before the frame actions queued with them.
    auto firstOther = std::find_if(queue_.begin(), queue_.end(),
                                   [](const QueuedScript& s) { return s.kind != QueuedScript::Kind::InitActions; });
    queue_.insert(firstOther, q);
}

bool Stage::markInitActionsRun(const MovieClip& clip, std::uint16_t spriteId)
{
    std::erase_if(initActionsRun_, [](const auto& entry) { return entry.first.expired(); });
    for (auto& [movie, sprites] : initActionsRun_)
        if (movie.lock() == clip.moviePointer()) return sprites.insert(spriteId).second;
    initActionsRun_.emplace_back(clip.moviePointer(), std::unordered_set<std::uint16_t>{spriteId});
    return true;
}

void Stage::queueClipEvent(DisplayObject& object, ClipEventBits event)
{
    if (!hooks_.scripts) return;
    QueuedScript q;
    q.kind = QueuedScript::Kind::ClipEvent;
    q.object = object.id();
    q.event = event;
    queue_.push_back(q);
}

void Stage::queueConstruct(DisplayObject& object, bool constructNow)
{
    if (!hooks_.scripts) return;
    QueuedScript q;
    q.kind = QueuedScript::Kind::Initialize;
    q.object = object.id();
    initializeQueue_.push_back(q);
    if (constructNow) {
        hooks_.scripts->constructObject(object);
        return;
    }
    q.kind = QueuedScript::Kind::Construct;
    constructQueue_.push_back(q);
}

void Stage::nameNewObject(DisplayObject& object)
{
    if (object.name().empty()) object.placement().name = "instance" + std::to_string(++instanceNames_);
}

void Stage::queueCall(std::function<void()> call)
{
    QueuedScript q;
    q.kind = QueuedScript::Kind::Call;
    q.call = std::move(call);
    queue_.push_back(std::move(q));
}

void Stage::removeChild(DisplayObject& parent, int depth)
{
    DisplayList* list = parent.children();
    DisplayObject* object = list ? list->at(depth) : nullptr;
    if (!object) return;
    const bool keep = hooks_.scripts && hooks_.scripts->objectRemoved(*object);
    markRemovedTree(*object);
    const int unloadDepth = -1 - depth;
    if (!keep || unloadDepth >= depth || list->at(unloadDepth)) {
        list->remove(depth);
        return;
    }
    std::unique_ptr<DisplayObject> taken = list->take(depth);
    taken->releaseFromTimeline();
    retired_.push_back(taken->id());
    list->put(unloadDepth, std::move(taken));
}

void Stage::markRemovedTree(DisplayObject& object)
{
    object.markRemoved();
    if (DisplayList* list = object.children())
        for (const auto& child : list->items()) markRemovedTree(*child);
}

void Stage::releaseRetired()
{
    // Latest first: a clip retired inside another one goes before its parent.
    while (!retired_.empty()) {
        const ObjectId id = retired_.back();
        retired_.pop_back();
        DisplayObject* object = find(id);
        if (!object || !object->parent()) continue;
        if (DisplayList* list = object->parent()->children(); list && list->at(object->depth()) == object)
            list->remove(object->depth());
    }
}

void Stage::objectLeaving(DisplayObject& object)
{
    if (hooks_.scripts) hooks_.scripts->objectLeaving(object);
}

void Stage::objectDestroyed(DisplayObject& object)
{
    if (hooks_.scripts) hooks_.scripts->objectDestroyed(object);
}

void Stage::runQueuedScripts()
{
    ScriptHost* host = hooks_.scripts;
    while (host && !(queue_.empty() && initializeQueue_.empty() && constructQueue_.empty())) {
        std::deque<QueuedScript>& from =
            !initializeQueue_.empty() ? initializeQueue_ : !constructQueue_.empty() ? constructQueue_ : queue_;
        QueuedScript q = std::move(from.front());
        from.pop_front();
        switch (q.kind) {
        case QueuedScript::Kind::InitActions:
            if (DisplayObject* o = find(q.object); o && o->kind() == ObjectKind::MovieClip)
                host->runInitActions(static_cast<MovieClip&>(*o), q.spriteId, q.actions);
            else
                host->runInitActions(*root_, q.spriteId, q.actions);
            break;
        case QueuedScript::Kind::FrameActions:
            if (DisplayObject* o = find(q.object); o && !o->removed() && o->kind() == ObjectKind::MovieClip)
                host->runFrameActions(static_cast<MovieClip&>(*o), q.actions);
            break;
        case QueuedScript::Kind::ClipEvent:
            if (DisplayObject* o = find(q.object); o && !o->removed()) host->clipEvent(*o, q.event);
            break;
        case QueuedScript::Kind::Initialize:
            if (DisplayObject* o = find(q.object); o && !o->removed()) host->initializeObject(*o);
            break;
        case QueuedScript::Kind::Construct:
            if (DisplayObject* o = find(q.object); o && !o->removed()) host->constructObject(*o);
            break;
        case QueuedScript::Kind::Call:
            if (q.call) q.call();
            break;
        }
        if (queue_.empty() && initializeQueue_.empty() && constructQueue_.empty()) releaseRetired();
    }
    releaseRetired();
    retiredLevels_.clear();
}

DisplayObject* Stage::resolvePath(std::string_view path, DisplayObject* from) const
{
    DisplayObject* current = from ? from : root_.get();
    const bool caseSensitive = current->caseSensitiveNames();
    // The root of the level `object` is on.
    auto levelRootOf = [](DisplayObject* object) {
        while (object->parent()) object = object->parent();
        return object;
    };
    if (!path.empty() && path.front() == '/') {
        current = levelRootOf(current);
        path.remove_prefix(1);
    }
    while (!path.empty() && current) {
        if (path.substr(0, 2) == "..") {
            current = current->parent();
            path.remove_prefix(2);
            if (!path.empty() && (path.front() == '/' || path.front() == '.')) path.remove_prefix(1);
            continue;
        }
        const std::size_t end = path.find_first_of("/.");
        const std::string_view segment = path.substr(0, end);
        path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
        if (segment.empty()) continue;
        int level = 0;
        if (namesEqual(segment, "_root", caseSensitive))
            current = levelRootOf(current);
        else if (isLevelName(segment, caseSensitive, level))
            current = this->level(level);
        else if (namesEqual(segment, "_parent", caseSensitive))
            current = current->parent();
        else if (namesEqual(segment, "this", caseSensitive))
            continue;
        else if (const DisplayList* list = current->children())
            current = list->findByName(segment, caseSensitive);
        else
            current = nullptr;
    }
    return current;
}

}  // namespace swf::runtime
