#include "mutator.h"

#include <algorithm>
#include <functional>
#include <random>

#include "swf/format/reader.h"
#include "swf/format/swf_file.h"

namespace swfmutate {

namespace {

struct TagSpan {
    std::size_t header = 0;  // offset of the tag's header
    std::size_t body = 0;    // offset of its body
    std::uint32_t length = 0;
    std::uint16_t code = 0;
    bool longForm = false;
};

// Tag headers of a tag stream starting at `at`, sprites' inner tags included (one level).
void collectTags(const Bytes& data, std::size_t at, std::size_t end, std::vector<TagSpan>& out, int depth = 0)
{
    while (at + 2 <= end && out.size() < 100'000) {
        TagSpan t;
        t.header = at;
        std::uint16_t word = static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
        t.code = word >> 6;
        t.length = word & 0x3f;
        at += 2;
        if (t.length == 0x3f) {
            if (at + 4 > end) return;
            t.length = data[at] | data[at + 1] << 8 | data[at + 2] << 16 | std::uint32_t(data[at + 3]) << 24;
            t.longForm = true;
            at += 4;
        }
        t.body = at;
        if (t.length > end - at) return;
        out.push_back(t);
        if (t.code == 39 && depth == 0 && t.length >= 4) collectTags(data, at + 4, at + t.length, out, 1);
        if (t.code == 0) return;
        at += t.length;
    }
}

void put16(Bytes& b, std::size_t at, std::uint16_t v)
{
    if (at + 2 > b.size()) return;
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    if (at + 4 > b.size()) return;
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string hex(std::uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", v);
    return buf;
}

// FNV-1a of the bytes: the movie itself chooses its random positions.
std::uint32_t fingerprint(std::span<const std::uint8_t> bytes)
{
    std::uint32_t h = 2166136261u;
    for (std::uint8_t b : bytes) h = (h ^ b) * 16777619u;
    return h;
}

void addCuts(const Bytes& data, std::size_t from, int count, const std::string& label, std::vector<Mutant>& out)
{
    if (data.size() <= from || count <= 0) return;
    for (int i = 0; i < count; ++i) {
        std::size_t at = from + (data.size() - from) * static_cast<std::size_t>(i) / static_cast<std::size_t>(count);
        out.push_back({label + "cut at " + std::to_string(at), Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(at))});
    }
}

void addFlips(const Bytes& data, std::size_t from, int count, std::mt19937& random, const std::string& label,
              std::vector<Mutant>& out)
{
    if (data.size() <= from) return;
    std::uniform_int_distribution<std::size_t> position(from, data.size() - 1);
    std::uniform_int_distribution<int> bit(0, 7), flips(1, 4);
    for (int i = 0; i < count; ++i) {
        Mutant m{label + "flip", data};
        for (int n = flips(random); n > 0; --n) {
            std::size_t at = position(random);
            int b = bit(random);
            m.bytes[at] ^= static_cast<std::uint8_t>(1 << b);
            m.what += " " + std::to_string(at) + ":" + std::to_string(b);
        }
        out.push_back(std::move(m));
    }
}

}  // namespace

std::vector<Mutant> makeMutants(std::span<const std::uint8_t> movie, const MutationPlan& plan)
{
    std::vector<Mutant> out;
    Bytes original(movie.begin(), movie.end());
    std::mt19937 random(fingerprint(movie));
    swf::SwfFile file;
    try {
        file = swf::readSwfFile(movie);
    } catch (const std::exception&) {
        // Not a readable movie to begin with: damage the bytes as they are.
        addCuts(original, 0, plan.cuts, "", out);
        addFlips(original, 0, plan.bitFlips, random, "", out);
        return out;
    }
    if (file.header.compression != swf::Compression::None) {
        addCuts(original, 8, plan.cuts / 4, "compressed ", out);
        addFlips(original, 8, plan.bitFlips / 4, random, "compressed ", out);
    }
    Bytes data = std::move(file.data);
    data[0] = 'F';  // mutated copies are written uncompressed
    put32(data, 4, static_cast<std::uint32_t>(data.size()));

    std::vector<TagSpan> tags;
    collectTags(data, file.tagsOffset, data.size(), tags);

    // Cuts: evenly spread, and inside the headers of some tags (a header without its body).
    addCuts(data, file.tagsOffset, plan.cuts - plan.cuts / 4, "", out);
    for (int i = 0; i < plan.cuts / 4 && !tags.empty(); ++i) {
        const TagSpan& t = tags[random() % tags.size()];
        std::size_t at = t.header + 1 + (t.longForm ? random() % 5 : 0);
        out.push_back({"cut in header of tag " + std::to_string(t.code) + " at " + std::to_string(at),
                       Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(at))});
    }
    addFlips(data, 8, plan.bitFlips, random, "", out);

    // The header's frame count and the declared length.
    {
        Mutant m{"header frame count 0xffff", data};
        put16(m.bytes, file.tagsOffset - 2, 0xffff);
        out.push_back(std::move(m));
        Mutant l{"header file length 0xffffffff", data};
        put32(l.bytes, 4, 0xffffffffu);
        out.push_back(std::move(l));
    }

    // Inflated sizes of some tags: the length itself, and 16- and 32-bit fields near the start of
    // the body (character ids, bitmap sides, counts, sample counts, sizes).
    for (int i = 0; i < plan.inflatedTags && !tags.empty(); ++i) {
        const TagSpan& t = tags[(tags.size() * static_cast<std::size_t>(i)) / static_cast<std::size_t>(plan.inflatedTags)];
        std::string where = "tag " + std::to_string(t.code) + " @" + std::to_string(t.header) + ": ";
        if (t.longForm) {
            Mutant m{where + "length 0x7fffffff", data};
            put32(m.bytes, t.header + 2, 0x7fffffffu);
            out.push_back(std::move(m));
        } else {
            Mutant m{where + "short length 62", data};
            put16(m.bytes, t.header, static_cast<std::uint16_t>(t.code << 6 | 62));
            out.push_back(std::move(m));
        }
        for (std::size_t offset : {std::size_t(0), std::size_t(2), std::size_t(3), std::size_t(5), std::size_t(7)}) {
            if (offset + 2 > t.length) break;
            Mutant m{where + "u16 +" + std::to_string(offset) + " = 0xffff", data};
            put16(m.bytes, t.body + offset, 0xffff);
            out.push_back(std::move(m));
        }
        std::size_t offset = 2 + random() % 8;
        if (offset + 4 <= t.length) {
            std::uint32_t v = random() % 2 ? 0xffffffffu : 0x7fffffffu;
            Mutant m{where + "u32 +" + std::to_string(offset) + " = " + hex(v), data};
            put32(m.bytes, t.body + offset, v);
            out.push_back(std::move(m));
        }
    }
    return out;
}

}  // namespace swfmutate
