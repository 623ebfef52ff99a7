#include "swf/runtime/character_objects.h"

#include "swf/runtime/object_factory.h"
#include "swf/runtime/stage.h"

namespace swf::runtime {

ShapeObject::ShapeObject(Stage& stage, const ShapeDefinition& definition)
    : DisplayObject(ObjectKind::Shape, stage, definition.id), definition_(&definition)
{
}

void ShapeObject::setDefinition(const ShapeDefinition& definition)
{
    definition_ = &definition;
    setCharacterId(definition.id);
}

MorphShapeObject::MorphShapeObject(Stage& stage, const MorphShapeDefinition& definition)
    : DisplayObject(ObjectKind::MorphShape, stage, definition.id), definition_(&definition)
{
}

void MorphShapeObject::setDefinition(const MorphShapeDefinition& definition)
{
    definition_ = &definition;
    setCharacterId(definition.id);
}

StaticTextObject::StaticTextObject(Stage& stage, const StaticTextDefinition& definition)
    : DisplayObject(ObjectKind::StaticText, stage, definition.id), definition_(&definition)
{
}

void StaticTextObject::setDefinition(const StaticTextDefinition& definition)
{
    definition_ = &definition;
    setCharacterId(definition.id);
}

EditTextObject::EditTextObject(Stage& stage, const EditTextDefinition& definition)
    : DisplayObject(ObjectKind::EditText, stage, definition.id), definition_(definition),
      text_(definition.initialText.value_or(std::string())), html_(definition.html)
{
    look_.background = definition.border;
    touch();
}

void EditTextObject::touch() { revision_ = stage().nextRevision(); }

BitmapObject::BitmapObject(Stage& stage, std::uint16_t characterId, const Bitmap* bitmap)
    : DisplayObject(ObjectKind::Bitmap, stage, characterId), bitmap_(bitmap)
{
}

VideoObject::VideoObject(Stage& stage, const VideoStreamDefinition& definition)
    : DisplayObject(ObjectKind::Video, stage, definition.id), definition_(&definition)
{
}

ButtonObject::ButtonObject(Stage& stage, const ButtonDefinition& definition)
    : DisplayObject(ObjectKind::Button, stage, definition.id), definition_(&definition), children_(*this),
      hitArea_(*this)
{
}

ButtonObject::~ButtonObject()
{
    children_.clear();
    hitArea_.clear();
}

void ButtonObject::initialize()
{
    setState(State::Up);
    if (!hitArea_.empty()) return;
    for (const ButtonRecord& record : definition_->records) {
        if (!record.hitTest) continue;
        std::unique_ptr<DisplayObject> child = createDisplayObject(stage(), moviePointer(), record.characterId, nesting() + 1);
        if (!child) continue;
        child->setInert(true);
        child->placement().matrix = record.matrix;
        hitArea_.put(record.depth, std::move(child)).initialize();
    }
}

void ButtonObject::setState(State state)
{
    if (built_ && state == state_) return;
    built_ = true;
    state_ = state;
    children_.clear();
    for (const ButtonRecord& record : definition_->records) {
        const bool shows = state == State::Up ? record.up : state == State::Over ? record.over : record.down;
        if (!shows) continue;
        std::unique_ptr<DisplayObject> child = createDisplayObject(stage(), moviePointer(), record.characterId, nesting() + 1);
        if (!child) continue;
        child->setInert(inert());
        stage().nameNewObject(*child);
        Placement& p = child->placement();
        p.matrix = record.matrix;
        p.colorTransform = record.colorTransform;
        p.filters = record.filters;
        p.blendMode = record.blendMode;
        // Two records at one depth: the later one wins, as on a timeline.
        children_.put(record.depth, std::move(child)).initialize();
    }
}

}  // namespace swf::runtime
