#include "swf/format/tag_stream.h"

#include "swf/format/tag_codes.h"

namespace swf {

std::optional<Tag> TagReader::next()
{
    if (done_) return std::nullopt;
    std::size_t left = data_.size() - pos_;
    if (left == 0) {
        done_ = true;
        return std::nullopt;
    }
    std::int64_t at = base_ + static_cast<std::int64_t>(pos_);
    if (left < 2) {
        done_ = truncated_ = true;
        warnings_.push_back("data ends inside a tag header at offset " + std::to_string(at));
        return std::nullopt;
    }
    std::uint16_t codeAndLength = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    std::size_t headerSize = 2;
    std::uint64_t length = codeAndLength & 0x3f;
    if (length == 0x3f) {
        if (left < 6) {
            done_ = truncated_ = true;
            warnings_.push_back("data ends inside a tag header at offset " + std::to_string(at));
            return std::nullopt;
        }
        length = static_cast<std::uint64_t>(data_[pos_ + 2]) | (static_cast<std::uint64_t>(data_[pos_ + 3]) << 8) |
                 (static_cast<std::uint64_t>(data_[pos_ + 4]) << 16) |
                 (static_cast<std::uint64_t>(data_[pos_ + 5]) << 24);
        headerSize = 6;
    }
    Tag tag;
    tag.code = codeAndLength >> 6;
    tag.offset = at;
    tag.bodyOffset = at + static_cast<std::int64_t>(headerSize);
    std::size_t bodyStart = pos_ + headerSize;
    std::size_t available = data_.size() - bodyStart;
    if (length > available) {
        tag.cut = true;
        truncated_ = done_ = true;
        std::string name(tagName(tag.code));
        warnings_.push_back("tag " + (name.empty() ? std::to_string(tag.code) : name) + " at offset " +
                            std::to_string(at) + " declares " + std::to_string(length) +
                            " bytes but only " + std::to_string(available) + " remain");
        length = available;
    }
    tag.body = data_.subspan(bodyStart, static_cast<std::size_t>(length));
    pos_ = bodyStart + static_cast<std::size_t>(length);
    if (tag.code == 0) {
        sawEnd_ = done_ = true;
    }
    return tag;
}

}  // namespace swf
