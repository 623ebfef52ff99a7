#pragma once
// The stage of one loaded movie: the root clip and everything under it (with the roots of movies
// loaded into levels above 0, and clips showing loaded movies, whose objects each know the movie
// they come from: DisplayObject::movie()), the background colour,
// the registry of live objects (ids as handles), the queue of scripts to run after a pass, and
// the hooks to the script and sound layers.
//
// One tick (tick()) is one frame of the movie, in the order Flash Player runs it:
//   1. the advance pass takes every clip that existed before this tick, from the newest to the
//      oldest (the root last). For each it queues the clip's EnterFrame event, then runs its
//      next frame: tags in file order, DoAction queued where it stands, objects placed,
//      moved and removed. A new clip is set up at once: its Initialize and Construct work is
//      queued ahead of everything else, its Load event is queued, then it runs its first
//      frame (queueing those actions); it does not advance again in this tick. A removed
//      clip's Unload is queued where the removal happened;
//   2. the queued scripts run: all Initialize work, then all Construct work, then the rest in
//      the order it was queued (init actions before the frame actions queued with them).
//      Scripts may queue more work (a goto's frame actions, a new clip's first frame), which
//      runs in the same pass.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "swf/movie/movie.h"
#include "swf/runtime/display_object.h"
#include "swf/runtime/hooks.h"

namespace swf::runtime {

class MovieClip;

struct StageHooks {
    ScriptHost* scripts = nullptr;  // not owned; must outlive the stage
    SoundHost* sound = nullptr;     // not owned; must outlive the stage
    GeometryHost* geometry = nullptr;  // not owned; must outlive the stage
    std::function<void(const std::string&)> warning;
};

class Stage {
public:
    Stage(std::shared_ptr<const Movie> movie, StageHooks hooks = {});
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    const Movie& movie() const { return *movie_; }
    const std::shared_ptr<const Movie>& moviePointer() const { return movie_; }
    MovieClip& root() { return *root_; }
    const MovieClip& root() const { return *root_; }
    Rect frameRect() const { return movie_->facts().frameSize; }
    Rgba background() const { return background_; }
    void setBackground(Rgba color) { background_ = color; }
    // Instance names compare exactly from SWF 7 on.
    bool caseSensitiveNames() const { return movie_->version() >= 7; }

    // Levels: _level0 is root(); movies loaded into levels above 0 have their own root clips,
    // drawn above the lower levels. null for an empty level.
    MovieClip* level(int number) const;
    // The roots of every level, lowest level first (root() first).
    std::vector<MovieClip*> levelRoots() const;
    // Puts `movie` into level `number` (> 0), replacing what the level held; returns its root,
    // which has shown its first frame (its scripts are queued).
    MovieClip& loadLevel(int number, std::shared_ptr<const Movie> movie);
    // Empties level `number` (> 0): its clips get their Unload and the level is gone.
    void unloadLevel(int number);
    // A warning given once per message.
    void warnOnce(const std::string& message);

    void tick();
    std::uint64_t tickCount() const { return tick_; }

    // Live objects by id; null once the object is gone.
    DisplayObject* find(ObjectId id) const;
    std::size_t objectCount() const { return objects_.size(); }

    // A target path as scripts write it: "/a/b", "_root.a.b", "a.b", "_parent.x", "..", with
    // "_levelN" for a level's root; "_root" and a leading "/" are the root of the level `from`
    // is on. Relative paths start at `from`.
    DisplayObject* resolvePath(std::string_view path, DisplayObject* from = nullptr) const;

    // The sound host, or one that does nothing.
    SoundHost& sound() const { return *sound_; }
    ScriptHost* scripts() const { return hooks_.scripts; }
    GeometryHost* geometry() const { return hooks_.geometry; }
    // A timeline of one empty frame, for clips that scripts create empty.
    const Timeline& emptyTimeline() const { return emptyTimeline_; }
    // A number never handed out before (revisions of changing content, instance serials).
    std::uint64_t nextRevision() { return ++revision_; }
    void warn(const std::string& message) const;

    // --- Used by display objects and clips ---
    ObjectId registerObject(DisplayObject& object);
    void unregisterObject(ObjectId id);
    // Whether one more object may be created at `nesting` levels below the root (warns once per
    // kind of limit when not).
    bool mayCreateObject(int nesting);
    void queueFrameActions(MovieClip& clip, std::span<const std::uint8_t> actions);
    // Once per sprite of each movie: `clip` is where the tag was met.
    void queueInitActions(MovieClip& clip, std::uint16_t spriteId, std::span<const std::uint8_t> actions);
    void queueClipEvent(DisplayObject& object, ClipEventBits event);
    // A new object's Initialize and Construct work, which runs before everything queued
    // normally (all Initialize work first, then all Construct work).
    // `constructNow`: the Construct work runs at once (clips a script duplicates).
    void queueConstruct(DisplayObject& object, bool constructNow = false);
    // Gives an unnamed new object its default name ("instanceN", counting unnamed objects).
    void nameNewObject(DisplayObject& object);
    // Any other work for the queue's order (the script host's own events).
    void queueCall(std::function<void()> call);
    // Takes the child at `depth` off `parent`'s list. When the script host has an Unload to
    // run for it, the object stays on the list until the queue has run, at depth -1 - depth
    // (script depth -32769 - depth, where Flash keeps clips that are unloading), out of the
    // timeline's hands; otherwise it goes at once.
    void removeChild(DisplayObject& parent, int depth);
    void objectDestroyed(DisplayObject& object);
    // `object` is about to leave its list for good (still attached to its parent).
    void objectLeaving(DisplayObject& object);
    // Runs the queued scripts now (the player calls this after timeline control from outside a
    // tick, so that a goto's frame actions run at once).
    void runQueuedScripts();

    // Siblings in the order they advance: from the highest depth to the lowest.
    static std::vector<DisplayObject*> advanceOrder(const DisplayObject& parent);

private:
    struct QueuedScript {
        enum class Kind { InitActions, FrameActions, ClipEvent, Initialize, Construct, Call };
        Kind kind = Kind::FrameActions;
        ObjectId object = 0;
        std::uint16_t spriteId = 0;
        std::span<const std::uint8_t> actions;
        ClipEventBits event = 0;
        std::function<void()> call;
    };
    static void collectClips(DisplayObject& object, std::vector<ObjectId>& out);

    std::shared_ptr<const Movie> movie_;
    StageHooks hooks_;
    std::unique_ptr<SoundHost> silence_;  // used when no sound host is given
    SoundHost* sound_;
    std::unordered_map<ObjectId, DisplayObject*> objects_;
    ObjectId nextId_ = 1;
    std::uint64_t tick_ = 0;
    std::uint64_t revision_ = 0;
    Timeline emptyTimeline_;
    Rgba background_{255, 255, 255, 255};
    // By priority: Initialize work, Construct work, everything else.
    std::deque<QueuedScript> queue_, initializeQueue_, constructQueue_;
    std::uint64_t instanceNames_ = 0;
    std::vector<ObjectId> retired_;  // unloading clips, dropped after the queue has run
    void releaseRetired();
    static void markRemovedTree(DisplayObject& object);
    // Sprites whose init actions ran, per movie (a movie's sprite runs them once, whichever tag
    // comes first). Weak: a released movie's entry goes, and a new movie never inherits it.
    std::vector<std::pair<std::weak_ptr<const Movie>, std::unordered_set<std::uint16_t>>> initActionsRun_;
    bool markInitActionsRun(const MovieClip& clip, std::uint16_t spriteId);
    std::set<std::string> warned_;
    std::unique_ptr<MovieClip> root_;  // last: destroyed first, while the rest is still whole
    std::map<int, std::unique_ptr<MovieClip>> levels_;  // above 0; destroyed before the root
    // Unloaded levels, kept until the queued scripts (their Unload handlers) have run.
    std::vector<std::unique_ptr<MovieClip>> retiredLevels_;
};

}  // namespace swf::runtime
