#pragma once
// How scripts reach the world outside the VM. The runtime implements two interfaces:
//
//  * DisplayNode: one display object scripts can address (movie clip, button, text field).
//    Each node carries a script object made by Vm::createDisplayObject(); scripts hold that
//    object, and the object holds the node only weakly, so a removed clip never dangles.
//  * DisplayHost: the player as a whole (levels, clock, trace, URL and fscommand requests,
//    keyboard and mouse state, stage, dragging, focus, sound, quality).
//
// Every member has a harmless default (nothing there, nothing done), so a host can implement
// what it supports and grow. Coordinates are in pixels (twips / 20) unless a name says twips.
// All strings are UTF-16 as the VM keeps them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swf/avm1/code.h"
#include "swf/format/geometry.h"

namespace swf::avm1 {

class Object;
class Tracer;
class DisplayNode;

enum class DisplayKind : std::uint8_t { MovieClip, Button, TextField };

// Numeric display properties, numbered as GetProperty/SetProperty number them. _target, _name,
// _droptarget and _url are strings and have their own calls; _highquality, _focusrect,
// _soundbuftime and _quality are global and live on the host.
enum class DisplayProperty : std::uint8_t {
    X = 0,
    Y = 1,
    XScale = 2,
    YScale = 3,
    CurrentFrame = 4,
    TotalFrames = 5,
    Alpha = 6,
    Visible = 7,  // 1 or 0
    Width = 8,
    Height = 9,
    Rotation = 10,
    Target = 11,
    FramesLoaded = 12,
    Name = 13,
    DropTarget = 14,
    Url = 15,
    HighQuality = 16,
    FocusRect = 17,
    SoundBufTime = 18,
    Quality = 19,
    XMouse = 20,
    YMouse = 21,
};

struct PixelRect {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// --- Drawing API (MovieClip.beginFill, lineStyle, ...) ---

struct GradientStop {
    std::uint8_t ratio = 0;
    Rgba color;
};
struct GradientStyle {
    bool radial = false;
    std::vector<GradientStop> stops;
    Matrix matrix;  // gradient square (-819.2 .. 819.2 px) to clip space, translation in pixels
    enum class Spread : std::uint8_t { Pad, Reflect, Repeat } spread = Spread::Pad;
    bool linearRgb = false;
    double focalPoint = 0;
};
struct LineStyle {
    bool none = true;  // lineStyle() without a thickness: no stroke
    double thickness = 0;  // pixels; 0 = hairline
    Rgba color;
    bool pixelHinting = false;
    enum class ScaleMode : std::uint8_t { Normal, None, Vertical, Horizontal } scaleMode = ScaleMode::Normal;
    enum class Caps : std::uint8_t { Round, None, Square } caps = Caps::Round;
    enum class Joints : std::uint8_t { Round, Bevel, Miter } joints = Joints::Round;
    double miterLimit = 3;
};

// --- Text fields ---

// Text field properties scripts read and write by name. Values travel as TextValue.
enum class TextProperty : std::uint8_t {
    Text,
    HtmlText,
    Html,
    Variable,
    AutoSize,  // "none", "left", "center", "right"
    TextColor,
    Border,
    BorderColor,
    Background,
    BackgroundColor,
    Multiline,
    WordWrap,
    Selectable,
    Type,  // "dynamic" or "input"
    MaxChars,
    Password,
    EmbedFonts,
    Length,
    Scroll,
    MaxScroll,
    HScroll,
    MaxHScroll,
    BottomScroll,
    TextWidth,
    TextHeight,
    CondenseWhite,
    Restrict,
};

struct TextValue {
    enum class Kind : std::uint8_t { Undefined, Null, Boolean, Number, String } kind = Kind::Undefined;
    bool boolean = false;
    double number = 0;
    std::u16string string;
    static TextValue ofBool(bool b) { TextValue v; v.kind = Kind::Boolean; v.boolean = b; return v; }
    static TextValue ofNumber(double n) { TextValue v; v.kind = Kind::Number; v.number = n; return v; }
    static TextValue ofString(std::u16string s) { TextValue v; v.kind = Kind::String; v.string = std::move(s); return v; }
    static TextValue null() { TextValue v; v.kind = Kind::Null; return v; }
};

// A TextFormat: every field optional (null in script when unset or mixed over a range).
struct TextFormatData {
    std::optional<std::u16string> font, url, target, align;  // align: left/right/center/justify
    std::optional<double> size, color, leftMargin, rightMargin, indent, leading, blockIndent,
        letterSpacing;
    std::optional<bool> bold, italic, underline, bullet, kerning;
    std::optional<std::vector<double>> tabStops;
};

// --- Requests leaving the movie ---

enum class HttpMethod : std::uint8_t { None, Get, Post };

struct UrlRequest {
    enum class Kind : std::uint8_t {
        OpenUrl,         // getURL into a browser window
        LoadMovie,       // a SWF or image into a clip (targetNode) or a level (level)
        LoadVariables,   // name=value pairs into a clip or level
        UnloadMovie,     // empty a clip or a level
        LoadSound,       // an MP3 file for a Sound object (scriptObject); `streaming` as asked
        LoadVars,        // name=value pairs for a LoadVars object (scriptObject)
        LoadXml,         // an XML document for an XML object (scriptObject)
    } kind = Kind::OpenUrl;
    std::u16string url;
    std::u16string window;        // OpenUrl: "_self", "_blank", a frame name...
    DisplayNode* targetNode = nullptr;  // LoadMovie/LoadVariables/UnloadMovie into a clip
    int level = -1;               // ... or into a level (-1 when a clip is the target)
    HttpMethod method = HttpMethod::None;
    std::u16string variables;     // form-encoded variables of the sending timeline (GET/POST)
    // LoadSound/LoadVars/LoadXml: the object to deliver the result to. The host reports it
    // from traceRoots until it calls the object's onLoad/onData (or drops the request).
    Object* scriptObject = nullptr;
    bool streaming = false;
};

// --- Sound (Sound objects; owner is the clip given to `new Sound(clip)`, or null) ---

struct SoundTransformData {
    double ll = 100, lr = 0, rl = 0, rr = 100;
};

// The node interface. The VM calls it only for nodes that are alive (weak pointer locked).
class DisplayNode : public std::enable_shared_from_this<DisplayNode> {
public:
    virtual ~DisplayNode() = default;

    virtual DisplayKind kind() const = 0;
    // The script object Vm::createDisplayObject() made for this node.
    virtual Object* scriptObject() const = 0;
    // Version of the SWF file this object's definition came from.
    virtual int swfVersion() const = 0;

    // Tree. A level root has no parent and reports its level number.
    virtual DisplayNode* parent() const = 0;
    virtual int levelNumber() const { return 0; }
    virtual std::u16string name() const = 0;
    virtual void setName(const std::u16string& name) = 0;
    // A child by instance name; case-insensitive for content of SWF 6 and older.
    virtual DisplayNode* childByName(std::u16string_view name, bool caseSensitive) const = 0;
    // Children in depth order (for..in lists the named ones).
    virtual std::vector<DisplayNode*> children() const { return {}; }
    // Depth in script numbering (timeline depth - 16384, as getDepth() reports it).
    virtual int depth() const { return 0; }

    // Numeric properties (X, Y, XScale, YScale, CurrentFrame, TotalFrames, Alpha, Visible, Width,
    // Height, Rotation, FramesLoaded, XMouse, YMouse). Writes to read-only ones are ignored.
    virtual double property(DisplayProperty p) const = 0;
    virtual void setProperty(DisplayProperty p, double value) = 0;
    virtual std::u16string dropTarget() const { return {}; }  // slash path, "" when none
    virtual std::u16string url() const { return {}; }
    virtual ColorTransform colorTransform() const { return {}; }
    virtual void setColorTransform(const ColorTransform&) {}
    virtual Matrix matrix() const { return {}; }  // in the parent's space, translation in twips
    virtual void setMatrix(const Matrix&) {}
    // Bounds in the coordinate space of `space` (nullptr: own space), pixels.
    virtual PixelRect bounds(const DisplayNode* /*space*/) const { return {}; }
    virtual Point localToGlobal(Point p) const { return p; }
    virtual Point globalToLocal(Point p) const { return p; }
    // Stage point (pixels); shapeFlag tests the shapes rather than the bounding box.
    virtual bool hitTestPoint(double /*x*/, double /*y*/, bool /*shapeFlag*/) const { return false; }
    virtual bool hitTestObject(const DisplayNode& /*other*/) const { return false; }

    // Timeline (movie clips; buttons and text fields ignore these). Frames are 1-based.
    virtual void play() {}
    virtual void stop() {}
    virtual void nextFrame() {}
    virtual void prevFrame() {}
    virtual void nextScene() {}
    virtual void prevScene() {}
    virtual void gotoFrame(int /*frame*/, bool /*andPlay*/) {}
    // Label lookup is case-insensitive in every version. Returns false for an unknown label.
    virtual bool gotoLabel(std::u16string_view /*label*/, bool /*andPlay*/) { return false; }
    virtual int frameOfLabel(std::u16string_view /*label*/) const { return 0; }  // 0: none
    // The DoAction blocks of a frame, for ActionCall (frame scripts run as subroutines).
    virtual std::vector<ActionBlock> frameActions(int /*frame*/) const { return {}; }
    virtual bool isPlaying() const { return false; }

    // Children made by script. Depths are in script numbering; the returned node is already
    // placed, and its script object exists. Initialisation (copying the init object, running
    // a registered class constructor) is the runtime's to order; Vm::initializeClip helps.
    virtual DisplayNode* attachMovie(std::u16string_view /*exportName*/, std::u16string_view /*name*/,
                                     int /*depth*/, Object* /*initObject*/) { return nullptr; }
    virtual DisplayNode* createEmptyMovieClip(std::u16string_view /*name*/, int /*depth*/) { return nullptr; }
    virtual DisplayNode* createTextField(std::u16string_view /*name*/, int /*depth*/, double /*x*/,
                                         double /*y*/, double /*w*/, double /*h*/) { return nullptr; }
    // Duplicate this clip into its parent.
    virtual DisplayNode* duplicate(std::u16string_view /*name*/, int /*depth*/, Object* /*initObject*/) { return nullptr; }
    // Removes a clip created by script (or given a script depth); others ignore it.
    virtual void removeFromParent() {}
    virtual void swapDepths(int /*depth*/) {}
    virtual void swapDepthsWith(DisplayNode& /*other*/) {}
    virtual int nextHighestDepth() const { return 0; }
    virtual DisplayNode* instanceAtDepth(int /*depth*/) const { return nullptr; }
    virtual std::int64_t bytesLoaded() const { return 0; }
    virtual std::int64_t bytesTotal() const { return 0; }
    virtual void setMask(DisplayNode* /*mask*/) {}  // nullptr removes the mask
    virtual bool enabled() const { return true; }

    // Drawing API (movie clips).
    virtual void drawClear() {}
    virtual void drawLineStyle(const LineStyle&) {}
    virtual void drawBeginFill(Rgba) {}
    virtual void drawBeginGradientFill(const GradientStyle&) {}
    virtual void drawLineGradientStyle(const GradientStyle&) {}
    virtual void drawMoveTo(double /*x*/, double /*y*/) {}
    virtual void drawLineTo(double /*x*/, double /*y*/) {}
    virtual void drawCurveTo(double /*cx*/, double /*cy*/, double /*ax*/, double /*ay*/) {}
    virtual void drawEndFill() {}

    // Text fields.
    virtual TextValue textProperty(TextProperty) const { return {}; }
    virtual void setTextProperty(TextProperty, const TextValue&) {}
    virtual TextFormatData textFormat(int /*begin*/, int /*end*/) const { return {}; }  // -1: whole
    virtual void setTextFormat(int /*begin*/, int /*end*/, const TextFormatData&) {}
    virtual TextFormatData newTextFormat() const { return {}; }
    virtual void setNewTextFormat(const TextFormatData&) {}
    virtual void replaceSel(std::u16string_view) {}
    virtual void replaceText(int /*begin*/, int /*end*/, std::u16string_view) {}
};

// The player-wide interface.
class DisplayHost {
public:
    virtual ~DisplayHost() = default;

    // The root clip of level n (0 = the main movie), nullptr when the level is empty.
    virtual DisplayNode* levelRoot(int /*level*/) { return nullptr; }
    // Milliseconds since the movie started (getTimer, GetTime, intervals, Date is separate).
    virtual double timerMs() { return 0; }
    // Milliseconds since 1970 UTC for Date; and the local time zone offset east of UTC.
    virtual double wallClockMs();
    virtual double localTimeZoneOffsetMinutes(double utcMs);
    virtual void trace(const std::u16string& /*line*/) {}

    virtual void urlRequest(const UrlRequest&) {}
    virtual void fsCommand(const std::u16string& /*command*/, const std::u16string& /*args*/) {}

    // Keyboard and mouse state (Key and Mouse objects). Flash key codes.
    virtual bool isKeyDown(int /*keyCode*/) const { return false; }
    virtual bool isKeyToggled(int /*keyCode*/) const { return false; }
    virtual int lastKeyCode() const { return 0; }
    virtual int lastKeyAscii() const { return 0; }
    virtual void setMouseVisible(bool) {}
    virtual Point mouseStage() const { return {}; }  // pointer position in stage pixels

    // Dragging (startDrag/stopDrag and their actions). `constraint` in the parent's space.
    virtual void startDrag(DisplayNode& /*node*/, bool /*lockCenter*/, std::optional<PixelRect> /*constraint*/) {}
    virtual void stopDrag() {}

    // Stage object.
    virtual double stageWidth() const { return 0; }
    virtual double stageHeight() const { return 0; }
    virtual std::u16string stageScaleMode() const { return u"showAll"; }
    virtual void setStageScaleMode(const std::u16string&) {}
    virtual std::u16string stageAlign() const { return {}; }
    virtual void setStageAlign(const std::u16string&) {}
    virtual bool stageShowMenu() const { return true; }
    virtual void setStageShowMenu(bool) {}

    // Global display properties.
    virtual std::u16string quality() const { return u"HIGH"; }  // LOW, MEDIUM, HIGH, BEST
    virtual void setQuality(const std::u16string&) {}
    virtual void toggleQuality() {}
    virtual double focusRect() const { return 1; }
    virtual void setFocusRect(double) {}
    virtual double soundBufTime() const { return 5; }
    virtual void setSoundBufTime(double) {}

    // Keyboard focus (Selection object).
    virtual DisplayNode* focus() const { return nullptr; }
    virtual bool setFocus(DisplayNode*) { return false; }
    virtual int selectionBegin() const { return -1; }
    virtual int selectionEnd() const { return -1; }
    virtual int caretIndex() const { return -1; }
    virtual void setSelection(int /*begin*/, int /*end*/) {}

    // Sound. `owner` is the clip a Sound object was made for, nullptr for the global one.
    virtual void stopAllSounds() {}
    virtual bool soundExists(std::u16string_view /*exportName*/) const { return false; }
    // Starts an exported sound; `soundObject` is the Sound object to send onSoundComplete to
    // (the host must report it from traceRoots while the sound plays).
    virtual void startSound(DisplayNode* /*owner*/, std::u16string_view /*exportName*/,
                            double /*offsetSeconds*/, int /*loops*/, Object* /*soundObject*/) {}
    virtual void stopSound(DisplayNode* /*owner*/, std::u16string_view /*exportName*/) {}  // "" = all
    virtual double soundVolume(DisplayNode* /*owner*/) const { return 100; }
    virtual void setSoundVolume(DisplayNode* /*owner*/, double) {}
    virtual double soundPan(DisplayNode* /*owner*/) const { return 0; }
    virtual void setSoundPan(DisplayNode* /*owner*/, double) {}
    virtual SoundTransformData soundTransform(DisplayNode* /*owner*/) const { return {}; }
    virtual void setSoundTransform(DisplayNode* /*owner*/, const SoundTransformData&) {}
    virtual double soundDurationMs(std::u16string_view /*exportName*/) const { return 0; }
    virtual double soundPositionMs(DisplayNode* /*owner*/, std::u16string_view /*exportName*/) const { return 0; }

    // The host's references into the heap: Sound objects of playing sounds, objects of pending
    // loads, anything else it keeps an Object* to. (Script objects of display objects need not
    // be reported: each lives while its node does.) Objects not reported here nor reachable
    // from the VM's own roots are freed by Vm::collectGarbage().
    virtual void traceRoots(Tracer&) {}
};

}  // namespace swf::avm1
