#pragma once
// The script face of one display object: movie clips, buttons and text fields as the VM's
// DisplayNode. Each node belongs to its object (DisplayObject::scriptNode) and forgets it when
// the object dies, so a script still holding the node finds nothing rather than freed memory.
//
// Properties follow Flash: _x/_y in pixels rounded to twips; _xscale/_yscale/_rotation kept
// beside the matrix once a script has set them; _width/_height from the bounds in the
// parent's space; _alpha the alpha multiplier in percent; depths in script numbering (timeline
// depth - 16384).

#include <string>

#include "swf/avm1/display_host.h"
#include "swf/runtime/display_object.h"

namespace swf::runtime {

class ScriptEngine;
class MovieClip;
class EditTextObject;
class ButtonObject;

// Timeline depth 0 is script depth -16384.
inline constexpr int kScriptDepthOffset = 16384;

std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view text);

class ScriptNode final : public avm1::DisplayNode {
public:
    ScriptNode(ScriptEngine& engine, DisplayObject& object);

    DisplayObject* object() const { return object_; }
    void objectGone() { object_ = nullptr; }
    void setScriptObject(avm1::Object* o) { scriptObject_ = o; }

    avm1::DisplayKind kind() const override;
    avm1::Object* scriptObject() const override { return scriptObject_; }
    int swfVersion() const override;

    avm1::DisplayNode* parent() const override;
    int levelNumber() const override;
    std::u16string name() const override;
    void setName(const std::u16string& name) override;
    avm1::DisplayNode* childByName(std::u16string_view name, bool caseSensitive) const override;
    std::vector<avm1::DisplayNode*> children() const override;
    int depth() const override;

    double property(avm1::DisplayProperty p) const override;
    void setProperty(avm1::DisplayProperty p, double value) override;
    std::u16string dropTarget() const override;
    std::u16string url() const override;
    ColorTransform colorTransform() const override;
    void setColorTransform(const ColorTransform& ct) override;
    Matrix matrix() const override;
    void setMatrix(const Matrix& m) override;
    avm1::PixelRect bounds(const avm1::DisplayNode* space) const override;
    Point localToGlobal(Point p) const override;
    Point globalToLocal(Point p) const override;
    bool hitTestPoint(double x, double y, bool shapeFlag) const override;
    bool hitTestObject(const avm1::DisplayNode& other) const override;

    void play() override;
    void stop() override;
    void nextFrame() override;
    void prevFrame() override;
    void nextScene() override;
    void prevScene() override;
    void gotoFrame(int frame, bool andPlay) override;
    bool gotoLabel(std::u16string_view label, bool andPlay) override;
    int frameOfLabel(std::u16string_view label) const override;
    std::vector<avm1::ActionBlock> frameActions(int frame) const override;
    bool isPlaying() const override;

    avm1::DisplayNode* attachMovie(std::u16string_view exportName, std::u16string_view name, int depth,
                                   avm1::Object* initObject) override;
    avm1::DisplayNode* createEmptyMovieClip(std::u16string_view name, int depth) override;
    avm1::DisplayNode* createTextField(std::u16string_view name, int depth, double x, double y, double w,
                                       double h) override;
    avm1::DisplayNode* duplicate(std::u16string_view name, int depth, avm1::Object* initObject) override;
    void removeFromParent() override;
    void swapDepths(int depth) override;
    void swapDepthsWith(avm1::DisplayNode& other) override;
    int nextHighestDepth() const override;
    avm1::DisplayNode* instanceAtDepth(int depth) const override;
    std::int64_t bytesLoaded() const override;
    std::int64_t bytesTotal() const override;
    void setMask(avm1::DisplayNode* mask) override;
    bool enabled() const override;

    void drawClear() override;
    void drawLineStyle(const avm1::LineStyle& style) override;
    void drawBeginFill(Rgba color) override;
    void drawBeginGradientFill(const avm1::GradientStyle& style) override;
    void drawLineGradientStyle(const avm1::GradientStyle& style) override;
    void drawMoveTo(double x, double y) override;
    void drawLineTo(double x, double y) override;
    void drawCurveTo(double cx, double cy, double ax, double ay) override;
    void drawEndFill() override;

    avm1::TextValue textProperty(avm1::TextProperty p) const override;
    void setTextProperty(avm1::TextProperty p, const avm1::TextValue& v) override;
    avm1::TextFormatData textFormat(int begin, int end) const override;
    void setTextFormat(int begin, int end, const avm1::TextFormatData& format) override;
    avm1::TextFormatData newTextFormat() const override;
    void setNewTextFormat(const avm1::TextFormatData& format) override;
    void replaceSel(std::u16string_view text) override;
    void replaceText(int begin, int end, std::u16string_view text) override;

private:
    MovieClip* clip() const;
    EditTextObject* field() const;
    ButtonObject* button() const;
    // Places a script-made object at a script depth of this clip; returns its node.
    avm1::DisplayNode* placeScriptObject(std::unique_ptr<DisplayObject> object, std::u16string_view name, int depth);
    DisplayObject::ScriptTransform transform() const;
    void setTransform(const DisplayObject::ScriptTransform& t);
    void touched();

    ScriptEngine& engine_;
    DisplayObject* object_;
    avm1::Object* scriptObject_ = nullptr;
};

}  // namespace swf::runtime
