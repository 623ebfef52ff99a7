#pragma once
// A block of action byte code together with what keeps its bytes alive and the version of the
// file it came from (the conversion rules follow the version of the executing code).

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace swf::avm1 {

struct ActionBlock {
    std::shared_ptr<const void> owner;  // keeps `bytes` valid (the movie's buffer, or a copy)
    std::span<const std::uint8_t> bytes;
    int swfVersion = 7;

    // A block that owns a copy of `data`.
    static ActionBlock copyOf(std::span<const std::uint8_t> data, int swfVersion)
    {
        auto buf = std::make_shared<std::vector<std::uint8_t>>(data.begin(), data.end());
        ActionBlock b;
        b.bytes = std::span<const std::uint8_t>(buf->data(), buf->size());
        b.owner = std::move(buf);
        b.swfVersion = swfVersion;
        return b;
    }
    // A block in memory that `owner` keeps alive (the loaded movie, whose action spans live as
    // long as it does).
    static ActionBlock borrowed(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes, int swfVersion)
    {
        ActionBlock b;
        b.owner = std::move(owner);
        b.bytes = bytes;
        b.swfVersion = swfVersion;
        return b;
    }
    // A block inside a buffer shared with its owner (no copy).
    static ActionBlock inBuffer(std::shared_ptr<const std::vector<std::uint8_t>> buffer,
                                std::size_t offset, std::size_t length, int swfVersion)
    {
        ActionBlock b;
        if (offset > buffer->size()) offset = buffer->size();
        if (length > buffer->size() - offset) length = buffer->size() - offset;
        b.bytes = std::span<const std::uint8_t>(buffer->data() + offset, length);
        b.owner = std::move(buffer);
        b.swfVersion = swfVersion;
        return b;
    }
};

}  // namespace swf::avm1
