#include "swf/format/button_tags.h"

#include "swf/format/records.h"

namespace swf {
namespace {

// BUTTONRECORDs up to the 0 end byte (or the end of the data, which some files reach).
std::vector<ButtonRecord> readButtonRecords(ByteReader& r, int buttonVersion, int swfVersion)
{
    std::vector<ButtonRecord> records;
    while (!r.atEnd()) {
        std::uint8_t flags = r.u8();
        if (flags == 0) break;
        ButtonRecord rec;
        rec.hitTest = flags & 0x08;
        rec.down = flags & 0x04;
        rec.over = flags & 0x02;
        rec.up = flags & 0x01;
        rec.characterId = r.u16();
        rec.depth = r.u16();
        rec.matrix = readMatrix(r);
        if (buttonVersion == 2) {
            rec.colorTransform = readColorTransform(r, true);
            // Players before SWF 8 ignore these bits; files of those versions may have them set
            // by accident, so only SWF 8+ reads the fields.
            if (swfVersion >= 8) {
                if (flags & 0x10) rec.filters = readFilterList(r);
                if (flags & 0x20) rec.blendMode = blendModeFromByte(r.u8());
            }
        }
        records.push_back(std::move(rec));
    }
    return records;
}

}  // namespace

ButtonDefinition decodeDefineButton(ByteReader r, int swfVersion)
{
    ButtonDefinition b;
    b.buttonVersion = 1;
    b.id = r.u16();
    b.records = readButtonRecords(r, 1, swfVersion);
    ButtonAction a;
    a.conditions = button_condition::OverDownToOverUp;
    a.actions = r.rest();
    b.actions.push_back(a);
    return b;
}

ButtonDefinition decodeDefineButton2(ByteReader r, int swfVersion)
{
    ButtonDefinition b;
    b.buttonVersion = 2;
    b.id = r.u16();
    b.trackAsMenu = r.u8() & 0x01;
    std::size_t offsetBase = r.position();
    std::uint16_t actionOffset = r.u16();
    b.records = readButtonRecords(r, 2, swfVersion);
    if (actionOffset == 0) return b;
    std::size_t at = offsetBase + actionOffset;
    if (at > r.size()) r.fail(FormatError::Kind::Corrupt, "button action offset past the end of the tag");
    r.seek(at);
    while (r.remaining() >= 4) {
        std::size_t start = r.position();
        std::uint16_t size = r.u16();
        std::uint16_t cond = r.u16();
        ButtonAction a;
        a.conditions = cond & 0x01ff;
        a.keyCode = static_cast<std::uint8_t>((cond >> 9) & 0x7f);
        if (size == 0) {
            a.actions = r.rest();
            b.actions.push_back(a);
            break;
        }
        if (size < 4) break;  // too small to hold its own header: the list ends here
        std::size_t end = start + size;
        if (end > r.size()) end = r.size();
        a.actions = r.bytes(end - r.position());
        b.actions.push_back(a);
    }
    return b;
}

ButtonCxform decodeDefineButtonCxform(ByteReader r)
{
    ButtonCxform cx;
    cx.buttonId = r.u16();
    try {
        while (!r.atEnd()) cx.transforms.push_back(readColorTransform(r, false));
    } catch (const FormatError&) {
        // A transform cut short: the ones before it still apply.
    }
    return cx;
}

void applyButtonCxform(ButtonDefinition& button, const ButtonCxform& cx)
{
    for (std::size_t i = 0; i < button.records.size() && i < cx.transforms.size(); ++i)
        button.records[i].colorTransform = cx.transforms[i];
}

ButtonSounds decodeDefineButtonSound(ByteReader r)
{
    ButtonSounds s;
    s.buttonId = r.u16();
    for (auto& slot : s.sounds) {
        if (r.remaining() < 2) break;  // tags cut after fewer entries: the rest have no sound
        std::uint16_t id = r.u16();
        if (id == 0) continue;
        ButtonSound bs;
        bs.soundId = id;
        bs.info = readSoundInfo(r);
        slot = bs;
    }
    return s;
}

}  // namespace swf
