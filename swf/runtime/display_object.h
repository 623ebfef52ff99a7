#pragma once
// Display objects: what timelines place on the stage. Every object has the properties a
// PlaceObject tag sets (its Placement), a depth in its parent's display list, an optional
// instance name, and a stable id that stays valid as a handle after the object is gone (the
// stage resolves ids to live objects). Movie clips and buttons hold children of their own.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/format/display_tags.h"
#include "swf/format/filters.h"
#include "swf/format/geometry.h"

namespace swf {
class Movie;
}
namespace swf::avm1 {
class DisplayNode;
}

namespace swf::runtime {

class DisplayList;
class MovieClip;
class Stage;

enum class ObjectKind { MovieClip, Shape, MorphShape, StaticText, EditText, Button, Bitmap, Video };

// Never reused within a stage; 0 is no object.
using ObjectId = std::uint64_t;

// The properties a place tag sets, and that scripts will change later.
struct Placement {
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;
    std::string name;
    int clipDepth = 0;  // > 0: this object masks the depths above it up to clipDepth
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool cacheAsBitmap = false;
    bool visible = true;
    std::optional<Rgba> backgroundColor;  // opaque background of a cached bitmap
};

class DisplayObject {
public:
    virtual ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    ObjectKind kind() const { return kind_; }
    ObjectId id() const { return id_; }
    Stage& stage() const { return *stage_; }
    std::uint16_t characterId() const { return characterId_; }
    // The movie the object's character comes from: its ids, exports and SWF version. The stage's
    // movie unless the object belongs to a movie loaded into a clip or a level. Objects share
    // ownership of their movie, so a loaded movie lives as long as anything shows it.
    const Movie& movie() const { return *movie_; }
    const std::shared_ptr<const Movie>& moviePointer() const { return movie_; }
    void setMovie(std::shared_ptr<const Movie> movie) { movie_ = std::move(movie); }
    // Names compare exactly from SWF 7 on (of the object's own movie).
    bool caseSensitiveNames() const;

    // The object holding this one in its display list (a clip or a button); null for the root
    // and for objects not on a list.
    DisplayObject* parent() const { return parent_; }
    int depth() const { return depth_; }
    // Levels of parents above this object: 0 for the root.
    int nesting() const { return nesting_; }
    // The level a root clip stands for (_level0, _level1...); 0 for other objects.
    int level() const { return level_; }
    void setLevel(int level) { level_ = level; }

    const Placement& placement() const { return placement_; }
    Placement& placement() { return placement_; }
    const Matrix& matrix() const { return placement_.matrix; }
    const ColorTransform& colorTransform() const { return placement_.colorTransform; }
    const std::string& name() const { return placement_.name; }
    bool visible() const { return placement_.visible; }
    int clipDepth() const { return placement_.clipDepth; }

    // Called once the object is on its parent's list (or is the root): clips run their first
    // frame, buttons build the children of their first state.
    virtual void initialize() {}

    // Children of clips and buttons; null for the others.
    virtual DisplayList* children() { return nullptr; }
    const DisplayList* children() const { return const_cast<DisplayObject*>(this)->children(); }

    // Matrix from this object's space to the stage (parents applied).
    Matrix worldMatrix() const;
    // Dotted path from the root: "_level0.menu.button".
    std::string path() const;

    // Timeline bookkeeping: whether a timeline placed this object (scripts create others later)
    // and the frame of the place tag that created it, which tells a goto whether the object a
    // frame wants is this very one.
    bool placedByTimeline() const { return placedByTimeline_; }
    int createdFrame() const { return createdFrame_; }
    void markPlacedByTimeline(int frame)
    {
        placedByTimeline_ = true;
        createdFrame_ = frame;
    }
    // Script depth changes (swapDepths) take an object out of the timeline's hands.
    void releaseFromTimeline() { placedByTimeline_ = false; }
    // The stage tick in which the object was created: a clip does not advance in that tick.
    std::uint64_t bornTick() const { return bornTick_; }
    // Counts the object as created in the stage's current tick (a clip given new content).
    void markBornNow();

    // Called by DisplayList when the object joins or leaves a list.
    void attach(DisplayObject* parent, int depth);
    void detach();

    // --- Script side (used by the script host; inert without one) ---

    // The node scripts address this object through; made on first need by the script host and
    // released with the object (scripts keep it only weakly).
    const std::shared_ptr<avm1::DisplayNode>& scriptNode() const { return scriptNode_; }
    void setScriptNode(std::shared_ptr<avm1::DisplayNode> node) { scriptNode_ = std::move(node); }
    // The clip actions (onClipEvent) of the place tag that created this object; empty for others.
    std::span<const ClipAction> clipActions() const { return clipActions_; }
    void setClipActions(std::span<const ClipAction> actions) { clipActions_ = actions; }
    // Scale and rotation as scripts last saw or set them. Flash keeps these next to the matrix so
    // that reading back _xscale or _rotation gives what was written, not a value re-derived from
    // a rounded matrix. Cleared whenever the matrix changes from elsewhere.
    struct ScriptTransform {
        double xScale = 100, yScale = 100, rotation = 0;
    };
    const std::optional<ScriptTransform>& scriptTransform() const { return scriptTransform_; }
    void setScriptTransform(std::optional<ScriptTransform> t) { scriptTransform_ = t; }
    // Once a script moves or changes this object, the timeline no longer moves it.
    bool scriptControlled() const { return scriptControlled_; }
    void setScriptControlled(bool on) { scriptControlled_ = on; }
    // Instance counter used for the default name "instanceN" of unnamed objects.
    std::uint64_t serial() const { return serial_; }
    void setSerial(std::uint64_t n) { serial_ = n; }
    // Taken off the display list (or being unloaded): queued work for it no longer runs.
    bool removed() const { return removed_; }
    void markRemoved() { removed_ = true; }
    // Objects that only make up a button's hit area: never drawn, they run no scripts.
    bool inert() const { return inert_; }
    void setInert(bool on) { inert_ = on; }
    // SetTabIndex / tabIndex; -1 when none.
    int tabIndex() const { return tabIndex_; }
    void setTabIndex(int index) { tabIndex_ = index; }

protected:
    DisplayObject(ObjectKind kind, Stage& stage, std::uint16_t characterId);
    void setCharacterId(std::uint16_t id) { characterId_ = id; }

private:
    ObjectKind kind_;
    Stage* stage_;
    ObjectId id_;
    std::uint16_t characterId_;
    std::shared_ptr<const Movie> movie_;
    DisplayObject* parent_ = nullptr;
    int level_ = 0;
    int depth_ = 0;
    int nesting_ = 0;
    Placement placement_;
    bool placedByTimeline_ = false;
    int createdFrame_ = -1;
    std::uint64_t bornTick_ = 0;
    std::shared_ptr<avm1::DisplayNode> scriptNode_;
    std::span<const ClipAction> clipActions_;
    std::optional<ScriptTransform> scriptTransform_;
    bool scriptControlled_ = false;
    std::uint64_t serial_ = 0;
    int tabIndex_ = -1;
    bool inert_ = false;
    bool removed_ = false;
};

// Names compare exactly from SWF 7 on, ignoring ASCII case before.
bool namesEqual(std::string_view a, std::string_view b, bool caseSensitive);

}  // namespace swf::runtime
