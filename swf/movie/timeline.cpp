#include "swf/movie/timeline.h"

namespace swf {

std::span<const ControlTag> Timeline::frameTags(std::size_t index) const
{
    if (index >= frameStarts_.size()) return {};
    std::size_t begin = frameStarts_[index];
    std::size_t end = index + 1 < frameStarts_.size() ? frameStarts_[index + 1] : openFrameStart_;
    return std::span<const ControlTag>(tags_).subspan(begin, end - begin);
}

std::optional<std::size_t> Timeline::findLabel(std::string_view name) const
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const auto& label : labels_) {
        if (label.name.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) same = lower(label.name[i]) == lower(name[i]);
        if (same) return label.frame;
    }
    return std::nullopt;
}

void Timeline::addTag(ControlTag tag)
{
    if (!streamHead_)
        if (auto* head = std::get_if<SoundStreamHead>(&tag)) streamHead_ = *head;
    tags_.push_back(std::move(tag));
}

void Timeline::addLabel(FrameLabelInfo label) { labels_.push_back(std::move(label)); }

void Timeline::endFrame()
{
    frameStarts_.push_back(openFrameStart_);
    openFrameStart_ = static_cast<std::uint32_t>(tags_.size());
}

void Timeline::dropPendingTags()
{
    tags_.resize(openFrameStart_);
    std::size_t frames = frameStarts_.size();
    std::erase_if(labels_, [frames](const FrameLabelInfo& l) { return l.frame >= frames; });
}

}  // namespace swf
