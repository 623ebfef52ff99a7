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

// An edit text field: its definition (a copy scripts may change: size, colours, flags), the
// text it shows (the initial text until scripts and variables change it) and the state the
// renderer reads. Every change bumps revision(), so that cached layouts are not reused.
class EditTextObject : public DisplayObject {
public:
    EditTextObject(Stage& stage, const EditTextDefinition& definition);
    const EditTextDefinition& definition() const { return definition_; }
    EditTextDefinition& editDefinition()
    {
        touch();
        return definition_;
    }
    const std::string& text() const { return text_; }
    void setText(std::string text)
    {
        text_ = std::move(text);
        touch();
    }
    bool html() const { return html_; }
    void setHtml(bool html)
    {
        html_ = html;
        touch();
    }

    // Display state beyond the definition.
    struct Look {
        bool background = false;
        Rgba backgroundColor{255, 255, 255, 255};
        Rgba borderColor{0, 0, 0, 255};
        int scroll = 1;     // first visible line, 1-based
        double hscroll = 0; // twips
        enum class AutoSize : std::uint8_t { None, Left, Center, Right } autoSize = AutoSize::None;
        bool condenseWhite = false;
        std::u16string restrict;
    };
    const Look& look() const { return look_; }
    Look& editLook()
    {
        touch();
        return look_;
    }
    std::uint64_t revision() const { return revision_; }

private:
    void touch();

    EditTextDefinition definition_;
    std::string text_;
    bool html_ = false;
    Look look_;
    std::uint64_t revision_ = 0;
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

// A button: the children of its current state. The state machine (input_dispatch.h) moves it
// between Up, Over and Down; the hit area comes from the records of the hit state.
class ButtonObject : public DisplayObject {
public:
    enum class State { Up, Over, Down };

    ButtonObject(Stage& stage, const ButtonDefinition& definition);
    ~ButtonObject() override;
    const ButtonDefinition& definition() const { return *definition_; }
    State state() const { return state_; }
    // Rebuilds the children for a state from the records that show in it.
    void setState(State state);
    void initialize() override;
    DisplayList* children() override { return &children_; }
    // The objects of the hit state (never drawn), built with the button.
    const DisplayList& hitArea() const { return hitArea_; }

    // Scripts may disable a button (enabled = false) or turn off the hand cursor.
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    bool useHandCursor() const { return useHandCursor_; }
    void setUseHandCursor(bool on) { useHandCursor_ = on; }

private:
    const ButtonDefinition* definition_;
    State state_ = State::Up;
    bool built_ = false;
    bool enabled_ = true;
    bool useHandCursor_ = true;
    DisplayList children_;
    DisplayList hitArea_;
};

}  // namespace swf::runtime
