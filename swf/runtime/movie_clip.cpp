#include "swf/runtime/movie_clip.h"

#include <algorithm>
#include <type_traits>
#include <variant>

#include "swf/runtime/character_objects.h"
#include "swf/runtime/object_factory.h"
#include "swf/runtime/stage.h"

namespace swf::runtime {
namespace {

// Gives `object` another character of the same kind in place, keeping its identity. False when
// the kinds differ (or the new id names nothing): the caller makes a new object instead.
bool changeCharacter(DisplayObject& object, std::uint16_t characterId)
{
    const Movie& movie = object.movie();
    switch (object.kind()) {
    case ObjectKind::Shape:
        if (const auto* shape = movie.shape(characterId)) {
            static_cast<ShapeObject&>(object).setDefinition(*shape);
            return true;
        }
        return false;
    case ObjectKind::MorphShape:
        if (const auto* morph = movie.morph(characterId)) {
            static_cast<MorphShapeObject&>(object).setDefinition(*morph);
            return true;
        }
        return false;
    case ObjectKind::StaticText:
        if (const auto* text = movie.staticText(characterId)) {
            static_cast<StaticTextObject&>(object).setDefinition(*text);
            return true;
        }
        return false;
    default:
        return false;
    }
}

}  // namespace

MovieClip::MovieClip(Stage& stage, std::shared_ptr<const Movie> movie, const Timeline& timeline,
                     std::uint16_t characterId)
    : DisplayObject(ObjectKind::MovieClip, stage, characterId), timeline_(&timeline), children_(*this)
{
    setMovie(std::move(movie));
    state_.setIgnorePlaceOnOccupied(this->movie().version() >= 6);
}

MovieClip::~MovieClip()
{
    if (stream_) stage().sound().closeStream(stream_);
    children_.clear();
}

bool MovieClip::loops() const
{
    return frameCount() > 1 && timeline_->hasEndTag() && timeline_->lastFrameClosed();
}

DisplayObject* MovieClip::childByName(std::string_view name) const
{
    return children_.findByName(name, caseSensitiveNames());
}

void MovieClip::initialize()
{
    if (currentFrame_ >= 0) return;
    if (timeline_->streamHead()) stream_ = stage().sound().openStream(*timeline_, id());
    currentFrame_ = 0;
    runFrame(0, true);
    if (playing_) startStreamAt(0);
}

void MovieClip::advance()
{
    if (!playing_ || currentFrame_ < 0) return;
    const int next = currentFrame_ + 1;
    if (next < frameCount()) {
        runFrame(next, true);
        resumeStreamAt(next);
        return;
    }
    if (!loops()) return;  // holds on the last frame, still playing (a movie still loading)
    if (!loopAllowed_) {
        stop();
        return;
    }
    seek(0);
    startStreamAt(0);
}

void MovieClip::play()
{
    if (playing_ || currentFrame_ < 0) return;
    playing_ = true;
    // The next tick shows the next frame: its sound is the first to hear.
    int next = currentFrame_ + 1;
    if (next >= frameCount()) next = loops() && loopAllowed_ ? 0 : currentFrame_;
    startStreamAt(next);
}

void MovieClip::stop()
{
    if (!playing_) return;
    playing_ = false;
    stopStream();
}

void MovieClip::gotoFrame(int frame, bool andPlay)
{
    if (frameCount() <= 0 || currentFrame_ < 0) return;
    frame = std::clamp(frame, 0, frameCount() - 1);
    if (frame != currentFrame_) seek(frame);
    playing_ = andPlay;
    if (andPlay)
        startStreamAt(frame);
    else
        stopStream();
}

void MovieClip::unloadContent()
{
    if (currentFrame_ < 0) initialize();
    stop();
    if (stream_) {
        stage().sound().closeStream(stream_);
        stream_ = 0;
    }
    for (DisplayObject* child : children_.snapshot()) stage().removeChild(*this, child->depth());
    state_.clear();
    drawing_.clear();
    timeline_ = &stage().emptyTimeline();
    currentFrame_ = 0;
}

void MovieClip::replaceContent(std::shared_ptr<const Movie> movie)
{
    unloadContent();
    setMovie(std::move(movie));
    timeline_ = &this->movie().timeline();
    state_ = TimelineState();
    state_.setIgnorePlaceOnOccupied(this->movie().version() >= 6);
    currentFrame_ = -1;
    playing_ = true;
    scriptMask_ = 0;
    // The new content shows its first frame now and first advances in the next tick.
    markBornNow();
    initialize();
}

bool MovieClip::gotoLabel(std::string_view label, bool andPlay)
{
    const auto frame = timeline_->findLabel(label);
    if (!frame) return false;
    gotoFrame(static_cast<int>(*frame), andPlay);
    return true;
}

void MovieClip::runFrame(int frame, bool runOtherTags)
{
    currentFrame_ = frame;
    // Tags run in file order: a DoAction before a PlaceObject queues its actions before the
    // new clip's events and first frame.
    for (const ControlTag& tag : timeline_->frameTags(static_cast<std::size_t>(frame))) {
        if (const auto* place = std::get_if<PlaceObject>(&tag)) {
            TimelineState::Depths touched;
            state_.apply(*place, frame, touched);
            syncDepths(touched);
        } else if (const auto* remove = std::get_if<RemoveObject>(&tag)) {
            TimelineState::Depths touched;
            state_.apply(*remove, touched);
            syncDepths(touched);
        } else if (runOtherTags) {
            runFrameTag(tag);
        }
    }
}

void MovieClip::runFrameTags(int frame)
{
    for (const ControlTag& tag : timeline_->frameTags(static_cast<std::size_t>(frame))) runFrameTag(tag);
}

void MovieClip::runFrameTag(const ControlTag& tag)
{
    if (inert()) return;
    Stage& s = stage();
    std::visit(
        [&](const auto& t) {
            using T = std::decay_t<decltype(t)>;
            if constexpr (std::is_same_v<T, DoAction>)
                s.queueFrameActions(*this, t.actions);
            else if constexpr (std::is_same_v<T, DoInitAction>)
                s.queueInitActions(*this, t.spriteId, t.actions);
            else if constexpr (std::is_same_v<T, StartSound>) {
                // The sound host knows the stage's movie's sounds only.
                if (&movie() == &s.movie())
                    s.sound().startSound(t.soundId, t.info, id());
                else
                    s.warnOnce("event sounds of loaded movies are not played");
            }
            else if constexpr (std::is_same_v<T, SetBackgroundColor>) {
                if (isRoot() && level() == 0) s.setBackground(Rgba{t.color.r, t.color.g, t.color.b, 255});
            } else if constexpr (std::is_same_v<T, SetTabIndex>) {
                if (DisplayObject* child = children_.at(t.depth)) child->setTabIndex(t.tabIndex);
            }
        },
        tag);
}

void MovieClip::seek(int target)
{
    TimelineState::Depths touched;
    if (target > currentFrame_) {
        for (int f = currentFrame_ + 1; f <= target; ++f) {
            state_.applyFrame(timeline_->frameTags(static_cast<std::size_t>(f)), f, touched);
            if (f == target) break;
            // Frames passed over still define their sprites' init actions and the background.
            for (const ControlTag& tag : timeline_->frameTags(static_cast<std::size_t>(f))) {
                if (const auto* init = std::get_if<DoInitAction>(&tag))
                    stage().queueInitActions(*this, init->spriteId, init->actions);
                else if (const auto* bg = std::get_if<SetBackgroundColor>(&tag); bg && isRoot() && level() == 0)
                    stage().setBackground(Rgba{bg->color.r, bg->color.g, bg->color.b, 255});
            }
        }
    } else {
        TimelineState fresh;
        fresh.setIgnorePlaceOnOccupied(movie().version() >= 6);
        TimelineState::Depths ignored;
        for (int f = 0; f <= target; ++f)
            fresh.applyFrame(timeline_->frameTags(static_cast<std::size_t>(f)), f, ignored);
        for (const auto& entry : state_.records()) touched.insert(entry.first);
        for (const auto& entry : fresh.records()) touched.insert(entry.first);
        for (const auto& child : children_.items())
            if (child->placedByTimeline()) touched.insert(child->depth());
        state_ = std::move(fresh);
    }
    currentFrame_ = target;
    // The target frame's actions are queued before the clips the jump creates run their first
    // frames.
    runFrameTags(target);
    syncDepths(touched);
}

void MovieClip::syncDepths(const TimelineState::Depths& depths)
{
    for (int depth : depths) syncDepth(depth);
}

void MovieClip::syncDepth(int depth)
{
    const PlacementRecord* want = state_.at(depth);
    DisplayObject* have = children_.at(depth);
    // Objects that scripts created are not the timeline's to change.
    if (have && !have->placedByTimeline()) return;
    if (have && want && have->createdFrame() == want->createdFrame &&
        (have->characterId() == want->characterId || changeCharacter(*have, want->characterId))) {
        if (have->scriptControlled()) {
            // A script moved it: the timeline keeps its hands off the transform from then on.
            Placement p = want->placement;
            p.matrix = have->placement().matrix;
            p.colorTransform = have->placement().colorTransform;
            p.name = have->placement().name;
            p.visible = have->placement().visible;
            have->placement() = std::move(p);
        } else {
            const std::string name = have->placement().name;
            have->placement() = want->placement;
            if (have->placement().name.empty()) have->placement().name = name;
            have->setScriptTransform(std::nullopt);
        }
        return;
    }
    if (have) {
        // A place tag over an occupied depth replaces the object without an Unload in
        // SWF 5 content (later versions never get here: the place is ignored).
        if (want && movie().version() <= 5)
            children_.remove(depth);
        else
            stage().removeChild(*this, depth);
    }
    if (!want) return;
    std::unique_ptr<DisplayObject> object = createDisplayObject(stage(), moviePointer(), want->characterId, nesting() + 1);
    if (!object) return;
    object->placement() = want->placement;
    object->markPlacedByTimeline(want->createdFrame);
    object->setInert(inert());
    if (want->placeTag) object->setClipActions(want->placeTag->clipActions);
    Stage& s = stage();
    s.nameNewObject(*object);
    DisplayObject& placed = children_.put(depth, std::move(object));
    if (!placed.inert()) {
        s.queueConstruct(placed);
        // Load comes before the actions of the clip's first frame.
        if (placed.kind() == ObjectKind::MovieClip) s.queueClipEvent(placed, clip_event::Load);
    }
    placed.initialize();
}

void MovieClip::startStreamAt(int frame)
{
    if (stream_) stage().sound().startStream(stream_, frame);
}

void MovieClip::resumeStreamAt(int frame)
{
    // A stream stopped from outside (a script's stopAllSounds) while the clip plays on starts
    // again at the next frame that has sound. One that played to its end stays ended.
    if (!stream_ || !stage().sound().streamStopped(stream_)) return;
    for (const ControlTag& tag : timeline_->frameTags(static_cast<std::size_t>(frame))) {
        if (const auto* block = std::get_if<SoundStreamBlock>(&tag); block && !block->data.empty()) {
            startStreamAt(frame);
            return;
        }
    }
}

void MovieClip::stopStream()
{
    if (stream_) stage().sound().stopStream(stream_);
}

}  // namespace swf::runtime
