#include "swf/runtime/display_object.h"

#include "swf/runtime/stage.h"

namespace swf::runtime {

DisplayObject::DisplayObject(ObjectKind kind, Stage& stage, std::uint16_t characterId)
    : kind_(kind), stage_(&stage), id_(stage.registerObject(*this)), characterId_(characterId),
      movie_(stage.moviePointer()), bornTick_(stage.tickCount())
{
}

DisplayObject::~DisplayObject()
{
    if (scriptNode_) stage_->objectDestroyed(*this);
    stage_->unregisterObject(id_);
}

bool DisplayObject::caseSensitiveNames() const { return movie_->version() >= 7; }

void DisplayObject::markBornNow() { bornTick_ = stage_->tickCount(); }

void DisplayObject::attach(DisplayObject* parent, int depth)
{
    parent_ = parent;
    depth_ = depth;
    nesting_ = parent ? parent->nesting() + 1 : 0;
}

void DisplayObject::detach() { parent_ = nullptr; }

Matrix DisplayObject::worldMatrix() const
{
    Matrix m = placement_.matrix;
    for (const DisplayObject* p = parent_; p; p = p->parent()) m = p->matrix() * m;
    return m;
}

std::string DisplayObject::path() const
{
    if (!parent_) return "_level" + std::to_string(level_);
    std::string own = placement_.name.empty() ? "instance" + std::to_string(id_) : placement_.name;
    return parent_->path() + "." + own;
}

bool namesEqual(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (a.size() != b.size()) return false;
    if (caseSensitive) return a == b;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace swf::runtime
