#include "swf/format/display_tags.h"

#include "swf/format/records.h"

namespace swf {
namespace {

// CLIPACTIONS. Lenient where files in the wild are: an end flag cut short ends the list, and a
// record whose size runs past the tag is cut there and ends the list.
void readClipActions(ByteReader& r, int swfVersion, PlaceObject& place)
{
    bool wide = swfVersion >= 6;
    r.u16();  // reserved
    place.allClipEvents = wide ? r.u32() : r.u16();
    while (true) {
        if (r.remaining() < (wide ? 4u : 2u)) break;
        std::uint32_t events = wide ? r.u32() : r.u16();
        if (events == 0) break;
        std::uint32_t size = r.u32();
        ClipAction action;
        action.events = events;
        bool cut = size > r.remaining();
        if (cut) size = static_cast<std::uint32_t>(r.remaining());
        ByteReader body = r.sub(size);
        if ((events & clip_event::KeyPress) && wide && !body.atEnd()) action.keyCode = body.u8();
        action.actions = body.rest();
        place.clipActions.push_back(action);
        if (cut) break;
    }
}

}  // namespace

PlaceObject decodePlaceObject(ByteReader r, int placeVersion, int swfVersion, TextDecoder& text)
{
    PlaceObject p;
    p.placeVersion = placeVersion;
    if (placeVersion == 1) {
        p.characterId = r.u16();
        p.depth = r.u16();
        p.matrix = readMatrix(r);
        if (!r.atEnd()) p.colorTransform = readColorTransform(r, false);
        return p;
    }
    std::uint16_t flags = r.u8();
    if (placeVersion >= 3) flags |= static_cast<std::uint16_t>(r.u8() << 8);
    p.move = flags & 0x01;
    p.depth = r.u16();
    if (placeVersion >= 3 && (flags & 0x0800)) p.className = text.decode(r.cstringBytes());
    if (flags & 0x02) p.characterId = r.u16();
    if (flags & 0x04) p.matrix = readMatrix(r);
    if (flags & 0x08) p.colorTransform = readColorTransform(r, true);
    if (flags & 0x10) p.ratio = r.u16();
    if (flags & 0x20) p.name = text.decode(r.cstringBytes());
    if (flags & 0x40) p.clipDepth = r.u16();
    if (placeVersion >= 3) {
        if (flags & 0x0100) {
            try {
                p.filters = readFilterList(r);
            } catch (const FormatError&) {
                // A filter we cannot size hides everything after it; keep what came before.
                p.filters.reset();
                return p;
            }
        }
        if (flags & 0x0200) p.blendMode = blendModeFromByte(r.u8());
        if (flags & 0x0400) p.cacheAsBitmap = r.atEnd() ? true : r.u8() != 0;
        if ((flags & 0x2000) && !r.atEnd()) p.visible = r.u8() != 0;
        if ((flags & 0x4000) && r.remaining() >= 4) p.backgroundColor = readRgba(r);
    }
    if ((flags & 0x80) && swfVersion >= 5) {
        p.hasClipActions = true;
        readClipActions(r, swfVersion, p);
    }
    return p;
}

RemoveObject decodeRemoveObject(ByteReader r, int removeVersion)
{
    RemoveObject rm;
    if (removeVersion == 1) rm.characterId = r.u16();
    rm.depth = r.u16();
    return rm;
}

}  // namespace swf
