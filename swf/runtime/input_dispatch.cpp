#include "swf/runtime/input_dispatch.h"

#include <algorithm>

#include "swf/avm1/vm.h"
#include "swf/format/button_tags.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_geometry.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/script_engine.h"
#include "swf/runtime/script_node.h"
#include "swf/runtime/stage.h"

namespace swf::runtime {
namespace {

using State = InputDispatcher::ButtonState;

// The condition bit of a button transition, and the clip event with the same meaning.
struct Transition {
    State from, to;
    std::uint16_t condition;
    std::uint32_t clipEvent;
};
constexpr Transition kTransitions[] = {
    {State::Idle, State::OverUp, button_condition::IdleToOverUp, clip_event::RollOver},
    {State::OverUp, State::Idle, button_condition::OverUpToIdle, clip_event::RollOut},
    {State::OverUp, State::OverDown, button_condition::OverUpToOverDown, clip_event::Press},
    {State::OverDown, State::OverUp, button_condition::OverDownToOverUp, clip_event::Release},
    {State::OverDown, State::OutDown, button_condition::OverDownToOutDown, clip_event::DragOut},
    {State::OutDown, State::OverDown, button_condition::OutDownToOverDown, clip_event::DragOver},
    {State::OutDown, State::Idle, button_condition::OutDownToIdle, clip_event::ReleaseOutside},
    {State::Idle, State::OverDown, button_condition::IdleToOverDown, clip_event::DragOver},
    {State::OverDown, State::Idle, button_condition::OverDownToIdle, clip_event::DragOut},
};

const char16_t* handlerFor(std::uint32_t clipEvent)
{
    switch (clipEvent) {
    case clip_event::RollOver: return u"onRollOver";
    case clip_event::RollOut: return u"onRollOut";
    case clip_event::Press: return u"onPress";
    case clip_event::Release: return u"onRelease";
    case clip_event::DragOut: return u"onDragOut";
    case clip_event::DragOver: return u"onDragOver";
    case clip_event::ReleaseOutside: return u"onReleaseOutside";
    default: return nullptr;
    }
}

void collectClips(DisplayObject& object, std::vector<ObjectId>& out)
{
    if (object.kind() == ObjectKind::MovieClip) out.push_back(object.id());
    if (object.children())
        for (DisplayObject* child : Stage::advanceOrder(object)) collectClips(*child, out);
}

bool buttonHit(const ButtonObject& button, Point stageTwips)
{
    for (const auto& part : button.hitArea().items())
        if (hitTest(*part, stageTwips, true)) return true;
    return false;
}

}  // namespace

int buttonKeyCode(int keyCode, char16_t character)
{
    switch (keyCode) {
    case 37: return 1;   // left
    case 39: return 2;   // right
    case 36: return 3;   // home
    case 35: return 4;   // end
    case 45: return 5;   // insert
    case 46: return 6;   // delete
    case 8: return 8;    // backspace
    case 13: return 13;  // enter
    case 38: return 14;  // up
    case 40: return 15;  // down
    case 33: return 16;  // page up
    case 34: return 17;  // page down
    case 9: return 18;   // tab
    case 27: return 19;  // escape
    default: break;
    }
    if (character >= 32 && character < 128) return character;
    return 0;
}

void InputDispatcher::run() { stage_.runQueuedScripts(); }

bool InputDispatcher::buttonEnabled(ButtonObject& button)
{
    return button.enabled() && (!scripts_ || scripts_->scriptFlag(button, u"enabled", true));
}

bool InputDispatcher::isTarget(DisplayObject& object)
{
    if (object.inert() || !object.visible()) return false;
    if (object.kind() == ObjectKind::Button) return buttonEnabled(static_cast<ButtonObject&>(object));
    if (object.kind() == ObjectKind::MovieClip && scripts_) {
        auto& clip = static_cast<MovieClip&>(object);
        return clip.enabled() && scripts_->isMouseTarget(clip) && scripts_->scriptFlag(clip, u"enabled", true);
    }
    return false;
}

DisplayObject* InputDispatcher::findTargetIn(DisplayObject& object, Point stageTwips)
{
    if (!object.visible()) return nullptr;
    if (object.kind() == ObjectKind::Button) {
        auto& button = static_cast<ButtonObject&>(object);
        return buttonEnabled(button) && buttonHit(button, stageTwips) ? &object : nullptr;
    }
    if (object.kind() == ObjectKind::MovieClip && object.parent() && isTarget(object))
        return hitTest(object, stageTwips, true, true) ? &object : nullptr;
    DisplayList* list = object.children();
    if (!list) return nullptr;
    const auto items = list->snapshot();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        DisplayObject& child = **it;
        if (child.clipDepth() > 0) continue;  // masks take no input
        // A child under a mask counts only where the mask is hit.
        bool masked = false;
        for (DisplayObject* m : items)
            if (m->clipDepth() > 0 && m->depth() < child.depth() && child.depth() <= m->clipDepth() &&
                !hitTest(*m, stageTwips, true))
                masked = true;
        if (masked) continue;
        if (DisplayObject* found = findTargetIn(child, stageTwips)) return found;
    }
    if (object.kind() == ObjectKind::MovieClip && !object.parent() && isTarget(object) &&
        hitTest(object, stageTwips, true, true))
        return &object;
    return nullptr;
}

DisplayObject* InputDispatcher::findTarget(Point stageTwips)
{
    if (!inside_) return nullptr;
    // Higher levels are drawn on top: they take the mouse first.
    const std::vector<MovieClip*> levels = stage_.levelRoots();
    for (auto it = levels.rbegin(); it != levels.rend(); ++it)
        if (DisplayObject* found = findTargetIn(**it, stageTwips)) return found;
    return nullptr;
}

void InputDispatcher::setButtonLook(DisplayObject& object, State state)
{
    if (object.kind() != ObjectKind::Button) return;
    auto& button = static_cast<ButtonObject&>(object);
    switch (state) {
    case State::Idle: button.setState(ButtonObject::State::Up); break;
    case State::OverUp: button.setState(ButtonObject::State::Over); break;
    case State::OverDown: button.setState(ButtonObject::State::Down); break;
    case State::OutDown: button.setState(ButtonObject::State::Over); break;
    }
}

// A menu button (track as menu) entered with the mouse button down lights up as pressed.
void InputDispatcher::enterMenuItemPressed(DisplayObject* target)
{
    if (!isMenuButton(target)) return;
    transition(*target, State::Idle, State::OverDown);
    hover_ = target->id();
    state_ = State::OverDown;
}

bool InputDispatcher::isMenuButton(const DisplayObject* object)
{
    return object && object->kind() == ObjectKind::Button &&
           static_cast<const ButtonObject*>(object)->definition().trackAsMenu;
}

void InputDispatcher::transition(DisplayObject& target, State from, State to)
{
    if (from == to) return;
    setButtonLook(target, to);
    const ObjectId id = target.id();
    for (const Transition& t : kTransitions) {
        if (t.from != from || t.to != to) continue;
        if (target.kind() == ObjectKind::Button) {
            const auto& button = static_cast<ButtonObject&>(target);
            // DefineButton2 sounds: 0 rollOut (OverUp->Idle), 1 rollOver (Idle->OverUp),
            // 2 press (OverUp->OverDown), 3 release (OverDown->OverUp).
            int soundIndex = -1;
            if (from == State::OverUp && to == State::Idle) soundIndex = 0;
            if (from == State::Idle && to == State::OverUp) soundIndex = 1;
            if (from == State::OverUp && to == State::OverDown) soundIndex = 2;
            if (from == State::OverDown && to == State::OverUp) soundIndex = 3;
            if (soundIndex >= 0)
                if (const auto& sound = button.definition().sounds[static_cast<std::size_t>(soundIndex)]; sound && sound->soundId)
                    // Button sounds: the sound starts like a frame's StartSound, owned by the button.
                    stage_.sound().startSound(sound->soundId, sound->info, id);
            if (!scripts_) continue;
            for (const ButtonAction& action : button.definition().actions) {
                if (!(action.conditions & t.condition)) continue;
                const auto actions = action.actions;
                stage_.queueCall([this, id, actions] {
                    DisplayObject* b = stage_.find(id);
                    if (!b || !b->parent() || !scripts_) return;
                    scripts_->runActions(actions, *b->parent());
                });
            }
            if (const char16_t* handler = handlerFor(t.clipEvent); handler && button.movie().version() >= 6)
                stage_.queueCall([this, id, handler] {
                    if (DisplayObject* b = stage_.find(id); b && scripts_) scripts_->callHandler(*b, handler);
                });
        } else if (scripts_) {
            const std::uint32_t event = t.clipEvent;
            stage_.queueCall([this, id, event] {
                if (DisplayObject* c = stage_.find(id); c && scripts_) scripts_->clipEvent(*c, event);
            });
        }
    }
}

void InputDispatcher::updateHover(bool)
{
    const Point at{mouse_.x * 20, mouse_.y * 20};
    DisplayObject* target = findTarget(at);
    const ObjectId targetId = target ? target->id() : 0;
    if (!down_) {
        if (targetId == hover_) return;
        if (DisplayObject* old = stage_.find(hover_)) transition(*old, State::OverUp, State::Idle);
        hover_ = targetId;
        state_ = State::Idle;
        if (target) {
            transition(*target, State::Idle, State::OverUp);
            state_ = State::OverUp;
        }
        return;
    }
    // The button is down: the pressed target goes between OverDown and OutDown.
    DisplayObject* pressed = stage_.find(pressed_);
    if (!pressed) {
        pressed_ = 0;
        // Menu items light up when entered with the button down.
        if (targetId != hover_) {
            if (DisplayObject* old = stage_.find(hover_); old && state_ == State::OverDown)
                transition(*old, State::OverDown, State::Idle);
            hover_ = 0;
            state_ = State::Idle;
            enterMenuItemPressed(target);
        }
        return;
    }
    const bool menu = isMenuButton(pressed);
    if (state_ == State::OverDown && targetId != pressed_) {
        if (menu) {
            transition(*pressed, State::OverDown, State::Idle);
            pressed_ = 0;
            hover_ = 0;
            state_ = State::Idle;
            enterMenuItemPressed(target);
        } else {
            transition(*pressed, State::OverDown, State::OutDown);
            state_ = State::OutDown;
            hover_ = 0;
        }
    } else if (state_ == State::OutDown && targetId == pressed_) {
        transition(*pressed, State::OutDown, State::OverDown);
        state_ = State::OverDown;
        hover_ = pressed_;
    }
}

void InputDispatcher::raiseMouseEvent(std::uint32_t clipEvent, const char16_t* listenerName)
{
    if (!scripts_) return;
    std::vector<ObjectId> clips;
    for (MovieClip* levelRoot : stage_.levelRoots()) collectClips(*levelRoot, clips);
    const char16_t* method = clipEvent == clip_event::MouseDown ? u"onMouseDown"
                             : clipEvent == clip_event::MouseUp ? u"onMouseUp"
                                                                : u"onMouseMove";
    for (ObjectId id : clips) {
        stage_.queueCall([this, id, clipEvent, method] {
            DisplayObject* c = stage_.find(id);
            if (!c || c->inert() || !scripts_) return;
            const bool methods = c->movie().version() >= 6;
            for (const ClipAction& a : c->clipActions())
                if (a.events & clipEvent) {
                    scripts_->runActions(a.actions, *c);
                    if (stage_.find(id) != c) return;
                }
            if (methods) scripts_->callHandler(*c, method);
        });
    }
    stage_.queueCall([this, listenerName] {
        if (scripts_) scripts_->broadcast(scripts_->vm().mouseObject(), listenerName);
    });
}

void InputDispatcher::raiseKeyEvent(std::uint32_t clipEvent, const char16_t* listenerName)
{
    if (!scripts_) return;
    std::vector<ObjectId> clips;
    for (MovieClip* levelRoot : stage_.levelRoots()) collectClips(*levelRoot, clips);
    for (ObjectId id : clips) {
        stage_.queueCall([this, id, clipEvent] {
            DisplayObject* c = stage_.find(id);
            if (!c || c->inert() || !scripts_) return;
            for (const ClipAction& a : c->clipActions())
                if (a.events & clipEvent) {
                    scripts_->runActions(a.actions, *c);
                    if (stage_.find(id) != c) return;
                }
        });
    }
    stage_.queueCall([this, listenerName] {
        if (scripts_) scripts_->broadcast(scripts_->vm().keyObject(), listenerName);
    });
    // The focused object hears its own onKeyDown/onKeyUp.
    if (DisplayObject* focused = scripts_->focusedObject()) {
        const ObjectId id = focused->id();
        const char16_t* method = clipEvent == clip_event::KeyDown ? u"onKeyDown" : u"onKeyUp";
        stage_.queueCall([this, id, method] {
            if (DisplayObject* f = stage_.find(id); f && scripts_) scripts_->callHandler(*f, method);
        });
    }
}

void InputDispatcher::mouseMove(Point stagePixels)
{
    mouse_ = stagePixels;
    inside_ = true;
    if (scripts_) {
        scripts_->setMouse(mouse_, down_);
        scripts_->updateDrag();
    }
    raiseMouseEvent(clip_event::MouseMove, u"onMouseMove");
    updateHover(true);
    run();
}

void InputDispatcher::mouseDown(Point stagePixels)
{
    mouse_ = stagePixels;
    inside_ = true;
    if (scripts_) scripts_->setMouse(mouse_, true);
    updateHover(true);
    down_ = true;
    raiseMouseEvent(clip_event::MouseDown, u"onMouseDown");
    DisplayObject* target = stage_.find(hover_);
    if (target && state_ == State::OverUp) {
        pressed_ = hover_;
        transition(*target, State::OverUp, State::OverDown);
        state_ = State::OverDown;
    }
    if (scripts_) {
        // A click on an input field focuses it; a click elsewhere takes the focus away from one.
        DisplayObject* field = nullptr;
        std::vector<DisplayObject*> stack;
    for (MovieClip* levelRoot : stage_.levelRoots()) stack.push_back(levelRoot);
        const Point at{mouse_.x * 20, mouse_.y * 20};
        while (!stack.empty()) {
            DisplayObject* o = stack.back();
            stack.pop_back();
            if (!o->visible()) continue;
            if (o->kind() == ObjectKind::EditText) {
                auto* f = static_cast<EditTextObject*>(o);
                if (!f->definition().readOnly && hitTest(*f, at, false)) field = f;
            }
            if (DisplayList* list = o->children())
                for (const auto& child : list->items()) stack.push_back(child.get());
        }
        const ObjectId fieldId = field ? field->id() : 0;
        DisplayObject* focused = scripts_->focusedObject();
        if (field || (focused && focused->kind() == ObjectKind::EditText)) {
            stage_.queueCall([this, fieldId] {
                if (scripts_) scripts_->setFocusedObject(fieldId ? stage_.find(fieldId) : nullptr);
            });
        }
        focusHighlight_ = 0;
    }
    run();
}

void InputDispatcher::mouseUp(Point stagePixels)
{
    mouse_ = stagePixels;
    if (scripts_) scripts_->setMouse(mouse_, false);
    raiseMouseEvent(clip_event::MouseUp, u"onMouseUp");
    down_ = false;
    if (DisplayObject* pressed = stage_.find(pressed_)) {
        if (state_ == State::OverDown) {
            transition(*pressed, State::OverDown, State::OverUp);
            state_ = State::OverUp;
            hover_ = pressed_;
        } else if (state_ == State::OutDown) {
            transition(*pressed, State::OutDown, State::Idle);
            state_ = State::Idle;
            hover_ = 0;
        }
    } else if (DisplayObject* menuItem = stage_.find(hover_); menuItem && state_ == State::OverDown) {
        // A menu item entered with the button down is released over.
        transition(*menuItem, State::OverDown, State::OverUp);
        state_ = State::OverUp;
    }
    pressed_ = 0;
    updateHover(true);
    run();
}

void InputDispatcher::mouseLeave()
{
    inside_ = false;
    if (!down_) updateHover(true);
    run();
}

void InputDispatcher::refresh()
{
    if (!inside_) return;
    updateHover(false);
    run();
}

void InputDispatcher::buttonKeyPress(int code)
{
    if (code == 0) return;
    std::vector<DisplayObject*> stack;
    for (MovieClip* levelRoot : stage_.levelRoots()) stack.push_back(levelRoot);
    std::vector<std::pair<ObjectId, std::span<const std::uint8_t>>> buttonActions;
    std::vector<std::pair<ObjectId, std::span<const std::uint8_t>>> clipActions;
    while (!stack.empty()) {
        DisplayObject* o = stack.back();
        stack.pop_back();
        if (o->inert()) continue;
        if (o->kind() == ObjectKind::Button) {
            auto* b = static_cast<ButtonObject*>(o);
            if (buttonEnabled(*b))
                for (const ButtonAction& a : b->definition().actions)
                    if (a.keyCode == code) buttonActions.emplace_back(o->id(), a.actions);
        }
        for (const ClipAction& a : o->clipActions())
            if ((a.events & clip_event::KeyPress) && a.keyCode == code) clipActions.emplace_back(o->id(), a.actions);
        if (DisplayList* list = o->children())
            for (const auto& child : list->items()) stack.push_back(child.get());
    }
    if (!scripts_) return;
    for (const auto& [id, actions] : buttonActions)
        stage_.queueCall([this, id = id, actions = actions] {
            if (DisplayObject* b = stage_.find(id); b && b->parent() && scripts_) scripts_->runActions(actions, *b->parent());
        });
    for (const auto& [id, actions] : clipActions)
        stage_.queueCall([this, id = id, actions = actions] {
            if (DisplayObject* c = stage_.find(id); c && scripts_) scripts_->runActions(actions, *c);
        });
}

void InputDispatcher::moveFocus(bool backwards)
{
    if (!scripts_) return;
    // Focusable: enabled buttons, input text fields, clips that act as buttons. With tab
    // indexes set, only those in index order; otherwise in reading order (top, then left).
    struct Candidate {
        DisplayObject* object;
        int tabIndex;
        double y, x;
    };
    std::vector<Candidate> all;
    std::vector<DisplayObject*> stack;
    for (MovieClip* levelRoot : stage_.levelRoots()) stack.push_back(levelRoot);
    while (!stack.empty()) {
        DisplayObject* o = stack.back();
        stack.pop_back();
        if (!o->visible() || o->inert()) continue;
        bool focusable = false;
        if (o->kind() == ObjectKind::Button) focusable = buttonEnabled(*static_cast<ButtonObject*>(o));
        if (o->kind() == ObjectKind::EditText) focusable = !static_cast<EditTextObject*>(o)->definition().readOnly;
        if (o->kind() == ObjectKind::MovieClip && o->parent()) focusable = isTarget(*o);
        if (focusable) {
            const Bounds b = boundsIn(*o, nullptr);
            all.push_back({o, o->tabIndex(), b.empty ? 0 : b.yMin, b.empty ? 0 : b.xMin});
        }
        if (DisplayList* list = o->children())
            for (const auto& child : list->items()) stack.push_back(child.get());
    }
    if (all.empty()) return;
    const bool indexed = std::any_of(all.begin(), all.end(), [](const Candidate& c) { return c.tabIndex >= 0; });
    if (indexed) all.erase(std::remove_if(all.begin(), all.end(), [](const Candidate& c) { return c.tabIndex < 0; }), all.end());
    std::stable_sort(all.begin(), all.end(), [indexed](const Candidate& a, const Candidate& b) {
        if (indexed) return a.tabIndex < b.tabIndex;
        if (a.y != b.y) return a.y < b.y;
        return a.x < b.x;
    });
    DisplayObject* current = scripts_->focusedObject();
    std::size_t next = backwards ? all.size() - 1 : 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].object != current) continue;
        next = backwards ? (i + all.size() - 1) % all.size() : (i + 1) % all.size();
        break;
    }
    const ObjectId id = all[next].object->id();
    focusHighlight_ = all[next].object->kind() == ObjectKind::EditText ? 0 : id;
    stage_.queueCall([this, id] {
        if (scripts_) scripts_->setFocusedObject(stage_.find(id));
    });
}

void InputDispatcher::editFocusedText(int keyCode, char16_t character)
{
    if (!scripts_) return;
    auto* field = dynamic_cast<EditTextObject*>(scripts_->focusedObject());
    if (!field || field->definition().readOnly) return;
    std::u16string text = toUtf16(field->html() ? std::string() : field->text());
    if (field->html()) text = toUtf16(field->text());
    const int size = static_cast<int>(text.size());
    int begin = std::clamp(scripts_->selectionBegin(), 0, size);
    int end = std::clamp(scripts_->selectionEnd(), 0, size);
    if (begin > end) std::swap(begin, end);
    bool changed = false;
    auto replace = [&](int from, int to, std::u16string_view with) {
        text.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), with);
        begin = end = from + static_cast<int>(with.size());
        changed = true;
    };
    switch (keyCode) {
    case 8:  // backspace
        if (begin != end)
            replace(begin, end, u"");
        else if (begin > 0)
            replace(begin - 1, begin, u"");
        break;
    case 46:  // delete
        if (begin != end)
            replace(begin, end, u"");
        else if (end < size)
            replace(begin, end + 1, u"");
        break;
    case 37: begin = end = std::max(0, begin - 1); break;
    case 39: begin = end = std::min(size, end + 1); break;
    case 36: begin = end = 0; break;
    case 35: begin = end = size; break;
    case 13:
        if (field->definition().multiline) replace(begin, end, u"\r");
        break;
    default:
        if (character >= 32 && character != 127) {
            const auto max = field->definition().maxLength;
            if (max && *max > 0 && static_cast<int>(text.size()) - (end - begin) >= *max) break;
            const std::u16string& allowed = field->look().restrict;
            if (!allowed.empty() && allowed.find(character) == std::u16string::npos) break;
            replace(begin, end, std::u16string(1, character));
        }
    }
    scripts_->setSelection(begin, end);
    if (!changed) return;
    field->setText(toUtf8(text));
    const ObjectId id = field->id();
    stage_.queueCall([this, id] {
        auto* f = dynamic_cast<EditTextObject*>(stage_.find(id));
        if (!f || !scripts_) return;
        scripts_->textEdited(*f);
        const avm1::Value args[] = {avm1::Value(scripts_->scriptObjectOf(*f))};
        scripts_->callHandler(*f, u"onChanged", args);
    });
}

void InputDispatcher::keyDown(int keyCode, char16_t character)
{
    if (scripts_) {
        if (keyCode) scripts_->setKeyDown(keyCode, true);
        scripts_->setLastKey(keyCode, character);
    }
    if (keyCode) raiseKeyEvent(clip_event::KeyDown, u"onKeyDown");
    buttonKeyPress(buttonKeyCode(keyCode, character));
    if (keyCode == 9) {
        moveFocus(scripts_ && scripts_->isKeyDown(16));
    } else if (scripts_) {
        DisplayObject* focused = scripts_->focusedObject();
        if (focused && focused->kind() != ObjectKind::EditText && (keyCode == 13 || keyCode == 32)) {
            // Enter or Space on a focused button presses and releases it.
            const ObjectId id = focused->id();
            transition(*focused, State::OverUp, State::OverDown);
            if (DisplayObject* again = stage_.find(id)) transition(*again, State::OverDown, State::OverUp);
            if (DisplayObject* again = stage_.find(id); again && hover_ != id) setButtonLook(*again, State::Idle);
        } else {
            editFocusedText(keyCode, character);
        }
    }
    run();
}

void InputDispatcher::keyUp(int keyCode, char16_t character)
{
    if (scripts_) {
        if (keyCode) scripts_->setKeyDown(keyCode, false);
        scripts_->setLastKey(keyCode, character);
    }
    if (keyCode) raiseKeyEvent(clip_event::KeyUp, u"onKeyUp");
    run();
}

bool InputDispatcher::wantsHandCursor()
{
    DisplayObject* hover = stage_.find(hover_);
    if (!hover) hover = stage_.find(pressed_);
    if (!hover || !inside_) return false;
    const bool scriptHand = !scripts_ || scripts_->scriptFlag(*hover, u"useHandCursor", true);
    if (hover->kind() == ObjectKind::Button) {
        auto* b = static_cast<ButtonObject*>(hover);
        return buttonEnabled(*b) && b->useHandCursor() && scriptHand;
    }
    if (hover->kind() == ObjectKind::MovieClip) return static_cast<MovieClip*>(hover)->useHandCursor() && scriptHand;
    return false;
}

DisplayObject* InputDispatcher::focusHighlight() const
{
    if (!focusHighlight_ || !scripts_) return nullptr;
    DisplayObject* focused = scripts_->focusedObject();
    return focused && focused->id() == focusHighlight_ ? focused : nullptr;
}

}  // namespace swf::runtime
