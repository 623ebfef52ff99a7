#include "tools/conformance/core/pcm_files.h"

#include <QtEndian>

namespace conformance {
namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatExtensible = 0xFFFE;

quint32 u32At(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 u16At(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

std::vector<int16_t> samplesFrom(const char* data, qsizetype byteCount)
{
    std::vector<int16_t> samples(static_cast<size_t>(byteCount / 2));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(data + 2 * i);
    return samples;
}

std::optional<Pcm> failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return std::nullopt;
}

}  // namespace

std::optional<Pcm> parseWav(const QByteArray& bytes, QString* error)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return failWith(error, QStringLiteral("not a RIFF/WAVE file"));
    std::optional<Pcm> format;
    qsizetype offset = 12;
    while (offset + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(offset, 4);
        const quint32 size = u32At(bytes, offset + 4);
        const qsizetype body = offset + 8;
        const qsizetype available = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > available)
                return failWith(error, QStringLiteral("fmt chunk of %1 bytes is damaged").arg(size));
            quint16 tag = u16At(bytes, body);
            const quint16 channels = u16At(bytes, body + 2);
            const quint32 rate = u32At(bytes, body + 4);
            const quint16 bits = u16At(bytes, body + 14);
            if (tag == kFormatExtensible && size >= 26)
                tag = u16At(bytes, body + 24);  // the sub-format GUID starts with the format tag
            if (tag != kFormatPcm || bits != 16)
                return failWith(error, QStringLiteral("format %1 with %2 bits, expected 16-bit PCM").arg(tag).arg(bits));
            if (channels == 0 || channels > 8 || rate == 0 || rate > 1'000'000)
                return failWith(error, QStringLiteral("%1 channels at %2 Hz").arg(channels).arg(rate));
            format = Pcm{channels, static_cast<int>(rate), {}};
        } else if (id == "data") {
            if (!format)
                return failWith(error, QStringLiteral("data chunk before fmt chunk"));
            // A writer that could not seek leaves the size too large; take what is there.
            const qsizetype length = std::min<qsizetype>(size, available);
            const qsizetype usable = length - length % (2 * format->channels);
            format->samples = samplesFrom(bytes.constData() + body, usable);
            return format;
        }
        if (size > available)
            break;
        offset = body + size + (size & 1);  // chunks are padded to even sizes
    }
    return failWith(error, format ? QStringLiteral("no data chunk") : QStringLiteral("no fmt chunk"));
}

std::optional<Pcm> parseRawStereo(const QByteArray& bytes, QString* error)
{
    if (bytes.size() % 4 != 0)
        return failWith(error, QStringLiteral("%1 bytes is not a whole number of 16-bit stereo frames").arg(bytes.size()));
    return Pcm{2, 0, samplesFrom(bytes.constData(), bytes.size())};
}

}  // namespace conformance
