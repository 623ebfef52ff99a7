#pragma once
// The script side of a stage: owns the ActionScript VM, runs the stage's queued scripts (init
// and frame actions, clip events, handlers), gives scripts the player's world (DisplayHost:
// levels, clock, trace, getURL, fscommand, keyboard and mouse state, stage, focus) and hands
// out the script node of every display object (script_node.h).
//
// Time is the player's: advanceTime() moves getTimer() and intervals, so that a run of ticks
// behaves the same however fast it executes.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "swf/avm1/vm.h"
#include "swf/movie/movie.h"
#include "swf/runtime/hooks.h"
#include "swf/runtime/loaded_movies.h"

namespace swf::runtime {

class ScriptNode;
class EditTextObject;

struct ScriptCallbacks {
    std::function<void(const std::string&)> trace;
    std::function<void(const std::string&)> warning;
    // getURL with an http, https or mailto URL (others are refused before this).
    std::function<void(const std::string& url, const std::string& window)> openUrl;
    std::function<void(const std::string& command, const std::string& args)> fsCommand;
    // Wall time one frame's scripts may take (0: the VM's default); a ScriptLimits tag wins.
    double timeLimitSeconds = 0;
    // The folder of the movie; loadMovie takes files from it (and from folders below it) only.
    std::string baseDirectory;
    // loadMovie into level 0 (or _root): the player replaces the whole movie with the file at
    // `path` once the running scripts have finished.
    std::function<void(const std::string& path)> replaceMovie;
    // Movies loaded into clips or levels were let go: caches keyed by the addresses of their
    // definitions must be emptied before the next movie is parsed.
    std::function<void()> moviesReleased;
};

class ScriptEngine final : public ScriptHost, public avm1::DisplayHost {
public:
    ScriptEngine(std::shared_ptr<const Movie> movie, ScriptCallbacks callbacks);
    ~ScriptEngine() override;

    avm1::Vm& vm() { return *vm_; }
    Stage* stage() const { return stage_; }
    // The script node of an object (made on first need), and its script object.
    ScriptNode& nodeOf(DisplayObject& object);
    avm1::Object* scriptObjectOf(DisplayObject& object);
    // The runtime object behind a script value (a clip's script object), or null.
    DisplayObject* objectOf(const avm1::Value& value);

    // _url of the objects of a movie ("file:///..." as it was loaded).
    std::u16string urlOf(const Movie& movie) const;
    // Loads into clips and levels above 0 wait for the start of the next tick; this carries
    // them out (a missing or broken file leaves the target as it was, with a warning). Text
    // loads (loadVariables, LoadVars, XML) are read then and delivered from the action queue.
    void finishLoads();
    const LoadedMovies& loadedMovies() const { return loaded_; }

    // Player time in milliseconds since the movie started.
    void advanceTime(double ms) { nowMs_ += ms; }

    // --- ScriptHost ---
    void attachStage(Stage& stage) override;
    void beginTick() override;
    void endTick() override;
    void runInitActions(MovieClip& timeline, std::uint16_t spriteId, std::span<const std::uint8_t> actions) override;
    void runFrameActions(MovieClip& clip, std::span<const std::uint8_t> actions) override;
    void clipEvent(DisplayObject& object, ClipEventBits event) override;
    void initializeObject(DisplayObject& object) override;
    void constructObject(DisplayObject& object) override;
    bool objectRemoved(DisplayObject& object) override;
    void objectLeaving(DisplayObject& object) override;
    void objectDestroyed(DisplayObject& object) override;

    // Runs code of the movie on a timeline object (button actions, clip actions).
    void runActions(std::span<const std::uint8_t> actions, DisplayObject& timeline);
    // Calls object.name() if the object's script has such a method.
    void callHandler(DisplayObject& object, const char16_t* name, std::span<const avm1::Value> args = {});
    bool hasHandler(DisplayObject& object, const char16_t* name);
    // Whether the clip has actions or handlers that make it a mouse target (on(press) and
    // the onPress family); they turn it into a button for the mouse.
    bool isMouseTarget(DisplayObject& clip);
    // A boolean property scripts set on the object (enabled, useHandCursor), through its
    // prototypes; `fallback` when it is undefined.
    bool scriptFlag(DisplayObject& object, const char16_t* name, bool fallback);
    // Broadcasts to the listeners of Key, Mouse, Stage.
    void broadcast(avm1::Object* source, const char16_t* name, std::span<const avm1::Value> args = {});

    // Input state the scripts read (the input dispatcher keeps it current).
    void setMouse(Point stagePixels, bool down)
    {
        mouse_ = stagePixels;
        mouseDown_ = down;
    }
    void setKeyDown(int keyCode, bool down);
    void setLastKey(int keyCode, int ascii)
    {
        lastKeyCode_ = keyCode;
        lastKeyAscii_ = ascii;
    }
    bool quitRequested() const { return quit_; }
    bool mouseHidden() const { return mouseHidden_; }

    // Dragging (startDrag): the object being dragged and where it follows the mouse.
    void updateDrag();
    ObjectId draggedObject() const { return drag_.object; }

    // Focus (Selection, Tab order, input text).
    DisplayObject* focusedObject() const;
    void setFocusedObject(DisplayObject* object);

    // Text fields bound to variables: pushes variable values into the fields (each frame, after
    // scripts) and field edits into the variables.
    void syncTextVariables() override;
    void textEdited(EditTextObject& field);
    // Brings one bound field up to date with its variable.
    void refreshTextVariable(EditTextObject& field);
    // The variable path of a text field, from its definition or set by script.
    void registerTextVariable(EditTextObject& field);

    // --- avm1::DisplayHost ---
    avm1::DisplayNode* levelRoot(int level) override;
    double timerMs() override { return nowMs_; }
    void trace(const std::u16string& line) override;
    void urlRequest(const avm1::UrlRequest& request) override;
    void fsCommand(const std::u16string& command, const std::u16string& args) override;
    bool isKeyDown(int keyCode) const override { return keysDown_.count(keyCode) > 0; }
    bool isKeyToggled(int keyCode) const override { return keysToggled_.count(keyCode) > 0; }
    int lastKeyCode() const override { return lastKeyCode_; }
    int lastKeyAscii() const override { return lastKeyAscii_; }
    void setMouseVisible(bool visible) override { mouseHidden_ = !visible; }
    Point mouseStage() const override { return mouse_; }
    void startDrag(avm1::DisplayNode& node, bool lockCenter, std::optional<avm1::PixelRect> constraint) override;
    void stopDrag() override { drag_ = {}; }
    double stageWidth() const override;
    double stageHeight() const override;
    std::u16string stageScaleMode() const override { return scaleMode_; }
    void setStageScaleMode(const std::u16string& mode) override { scaleMode_ = mode; }
    std::u16string stageAlign() const override { return align_; }
    void setStageAlign(const std::u16string& align) override { align_ = align; }
    bool stageShowMenu() const override { return showMenu_; }
    void setStageShowMenu(bool on) override { showMenu_ = on; }
    std::u16string quality() const override { return quality_; }
    void setQuality(const std::u16string& q) override { quality_ = q; }
    void toggleQuality() override { quality_ = quality_ == u"LOW" ? u"HIGH" : u"LOW"; }
    double focusRect() const override { return focusRect_; }
    void setFocusRect(double v) override { focusRect_ = v; }
    double soundBufTime() const override { return soundBufTime_; }
    void setSoundBufTime(double v) override { soundBufTime_ = v; }
    avm1::DisplayNode* focus() const override;
    bool setFocus(avm1::DisplayNode* node) override;
    int selectionBegin() const override { return selectionBegin_; }
    int selectionEnd() const override { return selectionEnd_; }
    int caretIndex() const override { return selectionEnd_; }
    void setSelection(int begin, int end) override
    {
        selectionBegin_ = begin;
        selectionEnd_ = end;
    }
    void stopAllSounds() override;
    void traceRoots(avm1::Tracer& tracer) override;

private:
    struct Drag {
        ObjectId object = 0;
        bool lockCenter = false;
        Point offset;  // object position minus mouse, pixels in the parent's space
        std::optional<avm1::PixelRect> constraint;
    };
    void runClipActions(DisplayObject& object, ClipEventBits event, int keyCode = 0);
    void loadMovie(const avm1::UrlRequest& request);
    // loadVariables, LoadVars.load/sendAndLoad, XML.load/sendAndLoad.
    void loadData(const avm1::UrlRequest& request);
    void unloadMovie(const avm1::UrlRequest& request);
    // The clip a load or unload request aims at (null for a level other than 0).
    MovieClip* requestTarget(const avm1::UrlRequest& request);
    // The export name of the object's symbol in its own movie ("" for none).
    std::string exportNameOf(const DisplayObject& object) const;
    // The movie whose bytes hold `actions`: the object's own, or one of its parents' (clip
    // actions belong to the movie of the timeline that placed the clip).
    std::shared_ptr<const Movie> movieOfActions(std::span<const std::uint8_t> actions, const DisplayObject& object) const;
    // The root clip of the movie `object` comes from (a level root or a clip a movie was loaded into).
    DisplayObject& movieRootOf(DisplayObject& object);
    // Gives `clip` the content of `movie` and a fresh script object.
    void replaceClipContent(MovieClip& clip, std::shared_ptr<const Movie> movie);
    // Queues the object's own Unload (clip actions, onUnload); true when there is one.
    bool queueOwnUnload(DisplayObject& object);
    void warn(const std::string& message);

    std::shared_ptr<const Movie> movie_;
    ScriptCallbacks callbacks_;
    std::unique_ptr<avm1::Vm> vm_;
    Stage* stage_ = nullptr;
    double nowMs_ = 0;
    Point mouse_;
    bool mouseDown_ = false;
    bool mouseHidden_ = false;
    std::set<int> keysDown_, keysToggled_;
    int lastKeyCode_ = 0, lastKeyAscii_ = 0;
    std::u16string scaleMode_ = u"showAll", align_, quality_ = u"HIGH";
    bool showMenu_ = true;
    double focusRect_ = 1, soundBufTime_ = 5;
    ObjectId focus_ = 0;
    int selectionBegin_ = -1, selectionEnd_ = -1;
    Drag drag_;
    bool quit_ = false;
    // Script objects of removed clips whose Unload has yet to run (kept from the collector).
    std::vector<avm1::Object*> pendingUnload_;
    // Text fields with a variable, by object id; the last text pushed to each.
    std::map<ObjectId, std::u16string> boundFields_;
    // Loads asked for during this tick, carried out at the start of the next one.
    struct PendingLoad {
        ObjectId target = 0;  // the clip, or 0 for a level
        int level = 0;
        std::string path;
        std::u16string url;
        avm1::Object* loader = nullptr;  // a MovieClipLoader to tell how the load went
    };
    // Queues loader.broadcastMessage(event, target, extra...) with the target's script object
    // as it is when the call runs; `last` ends the loader's hold on the collector.
    void notifyLoader(avm1::Object* loader, const char16_t* event, ObjectId target,
                      std::vector<avm1::Value> extra = {}, bool last = false);
    void dropLoader(avm1::Object* loader);
    std::vector<PendingLoad> pendingLoads_;
    // Text loads asked for during this tick. A LoadVars or XML object (receiver) is kept from
    // the collector until its onData has been called.
    struct PendingData {
        ObjectId target = 0;  // loadVariables into a clip...
        int level = -1;       // ... or into a level
        avm1::Object* receiver = nullptr;
        std::string path;     // empty: the request was refused, the receiver hears the failure
    };
    void readPendingData();
    void deliverData(const PendingData& load, const std::optional<std::u16string>& text, double bytes);
    std::vector<PendingData> pendingData_;
    std::vector<avm1::Object*> dataReceivers_;
    LoadedMovies loaded_;
    // MovieClipLoaders with events still to come (kept from the collector).
    std::vector<avm1::Object*> activeLoaders_;
    std::vector<std::pair<std::weak_ptr<const Movie>, std::u16string>> movieUrls_;
};

}  // namespace swf::runtime
