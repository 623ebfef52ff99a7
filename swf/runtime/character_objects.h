#pragma once
// The display objects that show one character each: shapes, morph shapes (at the placement's
// ratio), static and edit text, bitmaps, video (a placeholder that draws nothing yet) and
// buttons. A button shows the children of its current state; the state machine that moves
// between states comes with input handling, and the hit-test records stay reachable through
// the definition.

#include <string>

#include "swf/format/button_tags.h"
#include "swf/format/control_tags.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/movie/bitmap.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/display_object.h"

namespace swf::runtime {

class ShapeObject : public DisplayObject {
public:
    ShapeObject(Stage& stage, const ShapeDefinition& definition);
    const ShapeDefinition& definition() const { return *definition_; }
    void setDefinition(const ShapeDefinition& definition);

private:
    const ShapeDefinition* definition_;
};

class MorphShapeObject : public DisplayObject {
public:
    MorphShapeObject(Stage& stage, const MorphShapeDefinition& definition);
    const MorphShapeDefinition& definition() const { return *definition_; }
    void setDefinition(const MorphShapeDefinition& definition);
    std::uint16_t ratio() const { return placement().ratio; }

private:
    const MorphShapeDefinition* definition_;
};

class StaticTextObject : public DisplayObject {
public:
    StaticTextObject(Stage& stage, const StaticTextDefinition& definition);
    const StaticTextDefinition& definition() const { return *definition_; }
    void setDefinition(const StaticTextDefinition& definition);

private:
    const StaticTextDefinition* definition_;
};

// An edit text field: its definition and the text it shows (the initial text until scripts
// and variables change it).
class EditTextObject : public DisplayObject {
public:
    EditTextObject(Stage& stage, const EditTextDefinition& definition);
    const EditTextDefinition& definition() const { return *definition_; }
    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    bool html() const { return html_; }
    void setHtml(bool html) { html_ = html; }

private:
    const EditTextDefinition* definition_;
    std::string text_;
    bool html_ = false;
};

class BitmapObject : public DisplayObject {
public:
    // `bitmap` is null for a bitmap character whose pixels could not be decoded: it draws nothing.
    BitmapObject(Stage& stage, std::uint16_t characterId, const Bitmap* bitmap);
    const Bitmap* bitmap() const { return bitmap_; }

private:
    const Bitmap* bitmap_;
};

// Embedded video: placed, moved and removed like any object; decoding frames is not done, so it
// draws nothing.
class VideoObject : public DisplayObject {
public:
    VideoObject(Stage& stage, const VideoStreamDefinition& definition);
    const VideoStreamDefinition& definition() const { return *definition_; }

private:
    const VideoStreamDefinition* definition_;
};

class ButtonObject : public DisplayObject {
public:
    enum class State { Up, Over, Down };

    ButtonObject(Stage& stage, const ButtonDefinition& definition);
    ~ButtonObject() override;
    const ButtonDefinition& definition() const { return *definition_; }
    State state() const { return state_; }
    // Rebuilds the children for a state from the records that show in it.
    void setState(State state);
    void initialize() override { setState(State::Up); }
    DisplayList* children() override { return &children_; }

private:
    const ButtonDefinition* definition_;
    State state_ = State::Up;
    bool built_ = false;
    DisplayList children_;
};

}  // namespace swf::runtime
