#include "swf/render/group_pictures.h"

#include <utility>

namespace swf::render {

std::size_t GroupPictures::bytesOf(const GroupPicture& picture)
{
    // The inputs list is small beside the pixels; a fixed share stands for it.
    constexpr std::size_t kBookkeeping = 256;
    return std::size_t(picture.picture.sizeInBytes()) + kBookkeeping;
}

const GroupPicture* GroupPictures::find(std::uint64_t id, const RenderInputs& inputs,
                                        const std::function<bool(const GroupPicture&)>& usable)
{
    const auto found = byId_.find(id);
    if (found == byId_.end()) return nullptr;
    const Entries::iterator it = found->second;
    if (it->inputs.words() != inputs.words()) return nullptr;
    if (usable && !usable(it->picture)) return nullptr;
    it->frame = frame_;
    ++hits_;
    entries_.splice(entries_.begin(), entries_, it);
    return &it->picture;
}

void GroupPictures::keep(std::uint64_t id, RenderInputs inputs, GroupPicture picture)
{
    if (const auto found = byId_.find(id); found != byId_.end()) erase(found->second);
    const std::size_t bytes = bytesOf(picture);
    if (bytes > budget_) return;
    while (bytes_ + bytes > budget_ && !entries_.empty()) erase(std::prev(entries_.end()));
    entries_.push_front(Entry{id, std::move(inputs), std::move(picture), bytes, frame_});
    byId_[id] = entries_.begin();
    bytes_ += bytes;
}

void GroupPictures::endFrame()
{
    for (auto it = entries_.begin(); it != entries_.end();) {
        const auto next = std::next(it);
        if (it->frame != frame_) erase(it);
        it = next;
    }
}

void GroupPictures::clear()
{
    entries_.clear();
    byId_.clear();
    bytes_ = 0;
}

void GroupPictures::erase(Entries::iterator it)
{
    bytes_ -= it->bytes;
    byId_.erase(it->id);
    entries_.erase(it);
}

}  // namespace swf::render
