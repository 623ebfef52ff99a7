#pragma once
// Walks a tag stream (the file's or a sprite's): short and long tag headers, each length
// checked against the data that is really there.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace swf {

struct Tag {
    std::uint16_t code = 0;
    std::span<const std::uint8_t> body;
    std::int64_t offset = 0;      // of the tag header, in the file
    std::int64_t bodyOffset = 0;  // of the body, in the file
    bool cut = false;             // the declared length ran past the data; `body` is what is there
};

class TagReader {
public:
    // `baseOffset` is the file offset of `data[0]`, for positions in diagnostics.
    explicit TagReader(std::span<const std::uint8_t> data, std::int64_t baseOffset = 0)
        : data_(data), base_(baseOffset) {}

    // The next tag, the End tag included; nothing after End or at the end of the data. A tag
    // whose length runs past the data is returned cut to what remains and ends the stream.
    std::optional<Tag> next();

    bool sawEnd() const { return sawEnd_; }
    // The data ran out inside a tag header or a tag body.
    bool truncated() const { return truncated_; }
    std::size_t position() const { return pos_; }
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    std::span<const std::uint8_t> data_;
    std::int64_t base_ = 0;
    std::size_t pos_ = 0;
    bool sawEnd_ = false;
    bool truncated_ = false;
    bool done_ = false;
    std::vector<std::string> warnings_;
};

}  // namespace swf
