#include "swf/format/control_tags.h"

#include "swf/format/records.h"

namespace swf {

Rgba decodeSetBackgroundColor(ByteReader r) { return readRgb(r); }

FrameLabel decodeFrameLabel(ByteReader r, TextDecoder& text)
{
    FrameLabel label;
    label.name = text.decode(r.cstringBytes());
    if (!r.atEnd()) label.namedAnchor = r.u8() != 0;
    return label;
}

SceneAndFrameLabelData decodeSceneAndFrameLabelData(ByteReader r, TextDecoder& text)
{
    SceneAndFrameLabelData d;
    std::uint32_t scenes = r.encodedU32();
    for (std::uint32_t i = 0; i < scenes; ++i) {
        SceneEntry s;
        s.firstFrame = r.encodedU32();
        s.name = text.decode(r.cstringBytes());
        d.scenes.push_back(std::move(s));
    }
    std::uint32_t labels = r.encodedU32();
    for (std::uint32_t i = 0; i < labels; ++i) {
        FrameLabelEntry l;
        l.frame = r.encodedU32();
        l.name = text.decode(r.cstringBytes());
        d.labels.push_back(std::move(l));
    }
    return d;
}

namespace {
std::vector<AssetEntry> readAssetEntries(ByteReader& r, TextDecoder& text)
{
    std::size_t count = r.u16();
    std::vector<AssetEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        AssetEntry e;
        e.characterId = r.u16();
        e.name = text.decode(r.cstringBytes());
        entries.push_back(std::move(e));
    }
    return entries;
}
}  // namespace

std::vector<AssetEntry> decodeExportAssets(ByteReader r, TextDecoder& text)
{
    return readAssetEntries(r, text);
}

ImportAssets decodeImportAssets(ByteReader r, int importVersion, TextDecoder& text)
{
    ImportAssets imp;
    imp.importVersion = importVersion;
    imp.url = text.decode(r.cstringBytes());
    if (importVersion == 2) r.skip(2);  // reserved: 1, 0
    imp.entries = readAssetEntries(r, text);
    return imp;
}

FileAttributes decodeFileAttributes(ByteReader r)
{
    std::uint8_t b = r.u8();
    FileAttributes a;
    a.useDirectBlit = b & 0x40;
    a.useGpu = b & 0x20;
    a.hasMetadata = b & 0x10;
    a.actionScript3 = b & 0x08;
    a.noCrossDomainCache = b & 0x04;
    a.useNetwork = b & 0x01;
    return a;
}

ScriptLimits decodeScriptLimits(ByteReader r)
{
    ScriptLimits l;
    l.maxRecursionDepth = r.u16();
    l.timeoutSeconds = r.u16();
    return l;
}

SetTabIndex decodeSetTabIndex(ByteReader r)
{
    SetTabIndex t;
    t.depth = r.u16();
    t.tabIndex = r.u16();
    return t;
}

DoInitAction decodeDoInitAction(ByteReader r)
{
    DoInitAction a;
    a.spriteId = r.u16();
    a.actions = r.rest();
    return a;
}

ScalingGrid decodeDefineScalingGrid(ByteReader r)
{
    ScalingGrid g;
    g.characterId = r.u16();
    g.splitter = readRect(r);
    return g;
}

CsmTextSettings decodeCsmTextSettings(ByteReader r)
{
    CsmTextSettings c;
    c.textId = r.u16();
    std::uint8_t b = r.u8();
    c.useFlashType = b >> 6;
    c.gridFit = (b >> 3) & 7;
    c.thickness = r.f32();
    c.sharpness = r.f32();
    return c;
}

VideoStreamDefinition decodeDefineVideoStream(ByteReader r)
{
    VideoStreamDefinition v;
    v.id = r.u16();
    v.frameCount = r.u16();
    v.width = r.u16();
    v.height = r.u16();
    std::uint8_t flags = r.u8();
    v.deblocking = (flags >> 1) & 7;
    v.smoothing = flags & 1;
    v.codec = r.u8();
    return v;
}

VideoFrame decodeVideoFrame(ByteReader r)
{
    VideoFrame f;
    f.streamId = r.u16();
    f.frameNumber = r.u16();
    f.data = r.rest();
    return f;
}

std::string decodeMetadata(ByteReader r, TextDecoder& text) { return text.decode(r.cstringBytes()); }

}  // namespace swf
