#include "swf/runtime/display_list.h"

#include <algorithm>

#include "swf/runtime/stage.h"

namespace swf::runtime {

DisplayList::~DisplayList() { clear(); }

std::vector<std::unique_ptr<DisplayObject>>::iterator DisplayList::lowerBound(int depth)
{
    return std::lower_bound(items_.begin(), items_.end(), depth,
                            [](const std::unique_ptr<DisplayObject>& o, int d) { return o->depth() < d; });
}

std::vector<std::unique_ptr<DisplayObject>>::const_iterator DisplayList::lowerBound(int depth) const
{
    return std::lower_bound(items_.begin(), items_.end(), depth,
                            [](const std::unique_ptr<DisplayObject>& o, int d) { return o->depth() < d; });
}

DisplayObject* DisplayList::at(int depth) const
{
    auto it = lowerBound(depth);
    return it != items_.end() && (*it)->depth() == depth ? it->get() : nullptr;
}

DisplayObject& DisplayList::put(int depth, std::unique_ptr<DisplayObject> object)
{
    auto it = lowerBound(depth);
    object->attach(&owner_, depth);
    if (it != items_.end() && (*it)->depth() == depth) {
        owner_.stage().objectLeaving(**it);
        // Swap first, destroy after: the old object's destructor may look at the list.
        std::unique_ptr<DisplayObject> old = std::move(*it);
        *it = std::move(object);
        old->detach();
        old.reset();
        return *at(depth);
    }
    return **items_.insert(it, std::move(object));
}

std::unique_ptr<DisplayObject> DisplayList::take(int depth)
{
    auto it = lowerBound(depth);
    if (it == items_.end() || (*it)->depth() != depth) return nullptr;
    std::unique_ptr<DisplayObject> object = std::move(*it);
    items_.erase(it);
    object->detach();
    return object;
}

void DisplayList::remove(int depth)
{
    if (DisplayObject* object = at(depth)) owner_.stage().objectLeaving(*object);
    take(depth);
}

void DisplayList::clear()
{
    // Highest depth first, each taken out before it is destroyed.
    while (!items_.empty()) {
        owner_.stage().objectLeaving(*items_.back());
        std::unique_ptr<DisplayObject> object = std::move(items_.back());
        items_.pop_back();
        object->detach();
    }
}

DisplayObject* DisplayList::findByName(std::string_view name, bool caseSensitive) const
{
    for (const auto& o : items_)
        if (namesEqual(o->name(), name, caseSensitive)) return o.get();
    return nullptr;
}

std::vector<DisplayObject*> DisplayList::snapshot() const
{
    std::vector<DisplayObject*> out;
    out.reserve(items_.size());
    for (const auto& o : items_) out.push_back(o.get());
    return out;
}

}  // namespace swf::runtime
