#include "swf/format/sound_tags.h"

namespace swf {

int SoundFormat::sampleRate() const
{
    switch (static_cast<SoundCoding>(coding)) {
    case SoundCoding::Nellymoser16k:
    case SoundCoding::Speex:
        return 16000;
    case SoundCoding::Nellymoser8k:
        return 8000;
    default:
        break;
    }
    static constexpr int rates[4] = {5512, 11025, 22050, 44100};
    return rates[rateIndex & 3];
}

SoundFormat soundFormatFromByte(std::uint8_t b)
{
    SoundFormat f;
    f.coding = b >> 4;
    f.rateIndex = (b >> 2) & 3;
    f.sixteenBit = b & 0x02;
    f.stereo = b & 0x01;
    return f;
}

SoundDefinition decodeDefineSound(ByteReader r)
{
    SoundDefinition s;
    s.id = r.u16();
    s.format = soundFormatFromByte(r.u8());
    s.sampleCount = r.u32();
    s.data = r.rest();
    return s;
}

SoundInfo readSoundInfo(ByteReader& r)
{
    SoundInfo info;
    std::uint8_t flags = r.u8();
    info.syncStop = flags & 0x20;
    info.syncNoMultiple = flags & 0x10;
    if (flags & 0x01) info.inPoint = r.u32();
    if (flags & 0x02) info.outPoint = r.u32();
    if (flags & 0x04) {
        info.loopCount = r.u16();
        if (info.loopCount == 0) info.loopCount = 1;
    }
    if (flags & 0x08) {
        std::size_t n = r.u8();
        info.envelope.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            SoundEnvelopePoint p;
            p.pos44 = r.u32();
            p.left = r.u16();
            p.right = r.u16();
            info.envelope.push_back(p);
        }
    }
    return info;
}

StartSound decodeStartSound(ByteReader r)
{
    StartSound s;
    s.soundId = r.u16();
    s.info = readSoundInfo(r);
    return s;
}

StartSound2 decodeStartSound2(ByteReader r, TextDecoder& text)
{
    StartSound2 s;
    s.className = text.decode(r.cstringBytes());
    s.info = readSoundInfo(r);
    return s;
}

SoundStreamHead decodeSoundStreamHead(ByteReader r, int headVersion)
{
    SoundStreamHead h;
    h.headVersion = headVersion;
    h.playback = soundFormatFromByte(r.u8() & 0x0f);
    h.stream = soundFormatFromByte(r.u8());
    h.sampleCountPerBlock = r.u16();
    // Some producers leave out LatencySeek although the stream is MP3.
    if (h.stream.coding == static_cast<std::uint8_t>(SoundCoding::Mp3) && r.remaining() >= 2)
        h.latencySeek = r.s16();
    return h;
}

}  // namespace swf
