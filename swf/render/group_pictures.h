#pragma once
// Pictures of filtered objects kept from frame to frame. An object with filters is drawn into
// a layer of its own and filtered there, which for blurs, glows and shadows costs far more than
// drawing it; while nothing it is drawn from changes, the filtered picture of the frame before
// is composited instead. Each picture is kept under its object's id together with the full
// list of inputs it was drawn from (render_inputs.h), and is used only when the new list is
// equal to it word for word.
//
// A filtered object is drawn with its origin on a whole device pixel (the reference player
// snaps such cached pictures to the pixel grid), so the inputs hold the linear part of its
// world matrix, not where it stands: an object that only moves is the same picture at another
// place, and the kept picture is moved there when the target's edges cut it where they cut it
// before (GroupPicture::extent holds what they cut off when it was drawn).
//
// Bounded: pictures not used during a frame are dropped when the frame ends (their objects
// vanished or changed), and the pictures together stay within a byte budget, the least
// recently used going first. One store belongs to one loaded movie (it lives in RenderCache).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QRect>

#include "swf/render/render_inputs.h"

namespace swf::render {

// A filtered group's result: the picture composited and where (device pixels of the target).
// A null picture with an empty region is a group that left nothing to composite.
struct GroupPicture {
    QImage picture;
    QRect region;
    // Where the whole picture would lie if no layer edge had cut it (region is its part inside
    // the layer), and the device pixel the object's origin stood on.
    QRect extent;
    QPoint origin;
};

class GroupPictures {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t(48) << 20;

    explicit GroupPictures(std::size_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

    // The picture kept for object `id` when it was drawn from exactly `inputs` and `usable`
    // accepts it (where the object now stands); null otherwise.
    const GroupPicture* find(std::uint64_t id, const RenderInputs& inputs,
                             const std::function<bool(const GroupPicture&)>& usable = {});
    // Keeps the picture of object `id` drawn from `inputs` (replacing what the object had). A
    // picture larger than the whole budget is not kept.
    void keep(std::uint64_t id, RenderInputs inputs, GroupPicture picture);

    // A frame begins; at its end the pictures that were neither found nor kept during it go.
    void beginFrame() { ++frame_; }
    void endFrame();
    void clear();

    std::size_t size() const { return entries_.size(); }
    std::size_t bytes() const { return bytes_; }
    // Pictures found (used instead of drawing) since the store was made.
    std::uint64_t hits() const { return hits_; }

private:
    struct Entry {
        std::uint64_t id;
        RenderInputs inputs;
        GroupPicture picture;
        std::size_t bytes;
        std::uint64_t frame;  // last frame that used it
    };
    using Entries = std::list<Entry>;  // most recently used first

    void erase(Entries::iterator it);
    static std::size_t bytesOf(const GroupPicture& picture);

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::uint64_t frame_ = 0;
    std::uint64_t hits_ = 0;
    Entries entries_;
    std::unordered_map<std::uint64_t, Entries::iterator> byId_;
};

}  // namespace swf::render
