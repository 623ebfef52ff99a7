#pragma once
// Mouse and keyboard input for a stage: finds what the pointer is over, moves buttons through
// their state machine, and raises the script events in Flash's order.
//
// Button states: Idle (up, pointer away), OverUp, OverDown, OutDown (pressed here, pointer
// away). Each change fires the button's condition actions for that transition (and the same
// events as on(...) clip actions and onPress-style methods on clips that act as buttons):
//   Idle->OverUp rollOver, OverUp->Idle rollOut, OverUp->OverDown press,
//   OverDown->OverUp release, OverDown->OutDown dragOut, OutDown->OverDown dragOver,
//   OutDown->Idle releaseOutside. A button tracked as a menu item instead goes
//   OverDown->Idle when the pointer leaves while pressed and Idle->OverDown when it enters a
//   menu item with the button down.
//
// Per mouse event: the clip events (onClipEvent(mouseDown/Up/Move) and onMouseDown... methods)
// of every clip first, then the Mouse listeners, then the button transitions. Per key: the
// keyDown/keyUp clip events, the Key listeners, then key-press conditions of buttons and
// clips, then focus (Tab) and text entry into a focused input field. Every script runs from
// the stage's queue, which is run to the end before the call returns.

#include <cstdint>
#include <optional>
#include <vector>

#include "swf/runtime/display_object.h"

namespace swf::runtime {

class Stage;
class ScriptEngine;
class ButtonObject;

class InputDispatcher {
public:
    // `scripts` may be null (buttons still change state and run no actions then).
    InputDispatcher(Stage& stage, ScriptEngine* scripts) : stage_(stage), scripts_(scripts) {}

    // Positions in stage pixels.
    void mouseMove(Point stagePixels);
    void mouseDown(Point stagePixels);
    void mouseUp(Point stagePixels);
    void mouseLeave();
    // keyCode: Flash key code; character: the UTF-16 character typed, 0 for none.
    void keyDown(int keyCode, char16_t character);
    void keyUp(int keyCode, char16_t character);

    // Whether the pointer is over an active button or a clip that acts as one.
    // (Reads the scripts' enabled and useHandCursor properties, hence not const.)
    bool wantsHandCursor();
    // The object the keyboard focus is on, for the focus rectangle (null: none).
    DisplayObject* focusHighlight() const;
    // Re-checks what the pointer is over after the display changed (each frame).
    void refresh();

    // Button state machine states.
    enum class ButtonState : std::uint8_t { Idle, OverUp, OverDown, OutDown };

private:
    DisplayObject* findTarget(Point stageTwips);
    DisplayObject* findTargetIn(DisplayObject& object, Point stageTwips);
    bool isTarget(DisplayObject& object);
    void updateHover(bool fromMove);
    void transition(DisplayObject& target, ButtonState from, ButtonState to);
    void enterMenuItemPressed(DisplayObject* target);
    static bool isMenuButton(const DisplayObject* object);
    void raiseMouseEvent(std::uint32_t clipEvent, const char16_t* listenerName);
    void raiseKeyEvent(std::uint32_t clipEvent, const char16_t* listenerName);
    void buttonKeyPress(int buttonKeyCode);
    void moveFocus(bool backwards);
    void editFocusedText(int keyCode, char16_t character);
    void setButtonLook(DisplayObject& object, ButtonState state);
    // Enabled on the runtime side and by the scripts' `enabled` property.
    bool buttonEnabled(ButtonObject& button);
    void run();

    Stage& stage_;
    ScriptEngine* scripts_;
    Point mouse_;           // stage pixels
    bool inside_ = false;
    bool down_ = false;
    ObjectId hover_ = 0;    // the target under the pointer
    ObjectId pressed_ = 0;  // the target the button went down on
    ButtonState state_ = ButtonState::Idle;  // of hover_/pressed_
    ObjectId focusHighlight_ = 0;  // focus moved by Tab shows a rectangle
};

// Flash's key-press code for button conditions and on(keyPress): special keys have codes
// 1..19, characters their character code. 0 when the key has none.
int buttonKeyCode(int keyCode, char16_t character);

}  // namespace swf::runtime
