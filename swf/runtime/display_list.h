#pragma once
// The children of a clip or a button, ordered by depth (lowest drawn first). The list owns its
// objects; removing one destroys it (and its children) unless it is taken out.

#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "swf/runtime/display_object.h"

namespace swf::runtime {

class DisplayList {
public:
    explicit DisplayList(DisplayObject& owner) : owner_(owner) {}
    ~DisplayList();
    DisplayList(const DisplayList&) = delete;
    DisplayList& operator=(const DisplayList&) = delete;

    DisplayObject* at(int depth) const;
    // Puts the object at `depth`; whatever was there before is destroyed.
    DisplayObject& put(int depth, std::unique_ptr<DisplayObject> object);
    // Takes the object out without ending it (it may be put back elsewhere).
    std::unique_ptr<DisplayObject> take(int depth);
    // Ends the object at `depth` (the stage hears that it leaves first).
    void remove(int depth);
    void clear();

    // The first child with this instance name, in depth order.
    DisplayObject* findByName(std::string_view name, bool caseSensitive) const;

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // In depth order, lowest first. Valid until the list changes.
    std::span<const std::unique_ptr<DisplayObject>> items() const { return items_; }
    // Raw pointers in depth order: a snapshot that survives changes to the list (not to the
    // objects: check them against the stage by id before use if the list may have changed).
    std::vector<DisplayObject*> snapshot() const;

private:
    std::vector<std::unique_ptr<DisplayObject>>::iterator lowerBound(int depth);
    std::vector<std::unique_ptr<DisplayObject>>::const_iterator lowerBound(int depth) const;

    DisplayObject& owner_;
    std::vector<std::unique_ptr<DisplayObject>> items_;
};

}  // namespace swf::runtime
