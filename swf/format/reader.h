#pragma once
// Bounds-checked readers over a span of bytes. Every read that would pass the end throws
// FormatError with the offset, so decoders can be written straight through and a damaged file
// ends in a typed error instead of reading past its buffer.

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace swf {

// A structure in the file that cannot be read: what was wrong and where (byte offset from the
// start of the buffer the reader was given, plus the reader's base offset).
class FormatError : public std::runtime_error {
public:
    enum class Kind { Truncated, Corrupt, TooLarge, Unsupported };
    FormatError(Kind kind, const std::string& what, std::int64_t offset)
        : std::runtime_error(what + " at offset " + std::to_string(offset)),
          kind_(kind), offset_(offset) {}
    Kind kind() const { return kind_; }
    std::int64_t offset() const { return offset_; }

private:
    Kind kind_;
    std::int64_t offset_;
};

class ByteReader {
public:
    // `baseOffset` is added to positions in error messages, so that a reader over one tag's body
    // reports offsets within the whole file.
    explicit ByteReader(std::span<const std::uint8_t> data, std::int64_t baseOffset = 0)
        : data_(data), base_(baseOffset) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return data_.size(); }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    std::int64_t fileOffset() const { return base_ + static_cast<std::int64_t>(pos_); }
    std::span<const std::uint8_t> data() const { return data_; }

    void seek(std::size_t pos)
    {
        if (pos > data_.size()) fail(FormatError::Kind::Truncated, "seek past the end");
        pos_ = pos;
    }
    void skip(std::size_t n) { need(n); pos_ += n; }

    std::uint8_t u8() { need(1); return data_[pos_++]; }
    std::int8_t s8() { return static_cast<std::int8_t>(u8()); }
    std::uint16_t u16()
    {
        need(2);
        auto v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32()
    {
        need(4);
        std::uint32_t v = static_cast<std::uint32_t>(data_[pos_]) |
                          (static_cast<std::uint32_t>(data_[pos_ + 1]) << 8) |
                          (static_cast<std::uint32_t>(data_[pos_ + 2]) << 16) |
                          (static_cast<std::uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    std::int32_t s32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64()
    {
        std::uint64_t lo = u32();
        std::uint64_t hi = u32();
        return lo | (hi << 32);
    }
    double fixed16() { return s32() / 65536.0; }  // FIXED 16.16
    double fixed8() { return s16() / 256.0; }     // FIXED8 8.8
    float f32()
    {
        std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    double f64()
    {
        std::uint64_t bits = u64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // EncodedU32: 1 to 5 bytes, 7 bits each, low group first.
    std::uint32_t encodedU32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 5; ++i) {
            std::uint8_t b = u8();
            v |= static_cast<std::uint32_t>(b & 0x7f) << (7 * i);
            if (!(b & 0x80)) break;
        }
        return v;
    }

    // `n` bytes as a span into the underlying buffer.
    std::span<const std::uint8_t> bytes(std::size_t n)
    {
        need(n);
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    std::span<const std::uint8_t> rest() { return bytes(remaining()); }
    // A NUL-terminated string's raw bytes (without the NUL). A string that runs to the end of
    // the data without a NUL is taken up to the end: files in the wild do this.
    std::span<const std::uint8_t> cstringBytes()
    {
        std::size_t start = pos_;
        while (pos_ < data_.size() && data_[pos_] != 0) ++pos_;
        auto s = data_.subspan(start, pos_ - start);
        if (pos_ < data_.size()) ++pos_;  // the NUL
        return s;
    }

    // A reader over the next `n` bytes; this reader moves past them.
    ByteReader sub(std::size_t n)
    {
        std::int64_t at = fileOffset();
        return ByteReader(bytes(n), at);
    }

    [[noreturn]] void fail(FormatError::Kind kind, const std::string& what) const
    {
        throw FormatError(kind, what, fileOffset());
    }

private:
    void need(std::size_t n) const
    {
        if (n > data_.size() - pos_) fail(FormatError::Kind::Truncated, "data ends early");
    }

    std::span<const std::uint8_t> data_;
    std::int64_t base_ = 0;
    std::size_t pos_ = 0;
};

// Reads bit fields most significant bit first, continuing across bytes, on top of a ByteReader.
// Byte reads on the underlying reader first call align() (unused low bits are padding).
class BitReader {
public:
    explicit BitReader(ByteReader& bytes) : bytes_(bytes) {}

    std::uint32_t ub(unsigned n)
    {
        if (n > 32) bytes_.fail(FormatError::Kind::Corrupt, "bit field wider than 32 bits");
        std::uint64_t v = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (bitsLeft_ == 0) {
                current_ = bytes_.u8();
                bitsLeft_ = 8;
            }
            --bitsLeft_;
            v = (v << 1) | ((current_ >> bitsLeft_) & 1u);
        }
        return static_cast<std::uint32_t>(v);
    }
    std::int32_t sb(unsigned n)
    {
        if (n == 0) return 0;
        std::uint32_t v = ub(n);
        if (n < 32 && (v & (1u << (n - 1)))) v |= ~((1u << n) - 1);  // sign-extend
        return static_cast<std::int32_t>(v);
    }
    double fb(unsigned n) { return sb(n) / 65536.0; }  // 16.16 fixed point
    bool flag() { return ub(1) != 0; }
    // Drops the rest of the current byte, so that the next byte read starts fresh.
    void align() { bitsLeft_ = 0; }

private:
    ByteReader& bytes_;
    std::uint8_t current_ = 0;
    unsigned bitsLeft_ = 0;
};

}  // namespace swf
