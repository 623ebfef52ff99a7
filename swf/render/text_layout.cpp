#include "swf/render/text_field.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>

#include "swf/render/resources.h"

namespace swf::render {

namespace {

// Tab stops every 40 pixels when the format names none.
constexpr double kDefaultTabStep = 800;

bool isCjk(char16_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

// Metrics of one format, resolved once per layout.
struct FormatFace {
    const FontDefinition* embedded = nullptr;  // glyph font, when the field draws with outlines
    double scale = 0;                          // EM units -> twips
    std::optional<QFontMetricsF> metrics;      // device font, twips
    double ascent = 0, descent = 0;

    double advance(QChar c, std::uint32_t* glyph) const
    {
        if (!embedded) return metrics->horizontalAdvance(c);
        const auto& codes = embedded->codes;
        auto it = std::lower_bound(codes.begin(), codes.end(), c.unicode());
        std::size_t index = codes.size();
        if (it != codes.end() && *it == c.unicode()) {
            index = std::size_t(it - codes.begin());
        } else {
            // Code tables should be sorted; a file that is not still finds its glyphs.
            auto found = std::find(codes.begin(), codes.end(), c.unicode());
            if (found != codes.end()) index = std::size_t(found - codes.begin());
        }
        if (index >= codes.size() || index >= embedded->glyphs.size()) return -1;  // not in the font
        if (glyph) *glyph = std::uint32_t(index);
        if (index < embedded->advances.size()) return embedded->advances[index] * scale;
        return 0;
    }
};

FormatFace resolveFace(const TextFormat& format, const FontDefinition* fieldFont, bool embed,
                       const RenderResources& resources)
{
    FormatFace face;
    if (embed) {
        const FontDefinition* font = fieldFont;
        const bool otherName = !format.font.empty() && (!fieldFont || fieldFont->name != format.font);
        const bool otherStyle = fieldFont && (fieldFont->bold != format.bold || fieldFont->italic != format.italic);
        if (otherName || otherStyle) {
            const std::string& name = format.font.empty() && fieldFont ? fieldFont->name : format.font;
            if (const FontDefinition* byName = resources.fontByName(name, format.bold, format.italic)) font = byName;
        }
        if (font) {
            face.embedded = font;
            face.scale = format.size / (font->emSquare > 0 ? font->emSquare : 1024);
            if (font->hasLayout && font->ascent + font->descent > 0) {
                face.ascent = font->ascent * face.scale;
                face.descent = font->descent * face.scale;
            } else {
                face.ascent = format.size * 0.8;
                face.descent = format.size * 0.2;
            }
            return face;
        }
    }
    face.metrics.emplace(deviceFont(format));
    face.ascent = face.metrics->ascent();
    face.descent = face.metrics->descent();
    return face;
}

struct Item {
    QChar c;
    std::uint16_t format;
    double advance;       // twips; tabs get theirs during line building
    std::int64_t glyph;   // embedded glyph index, -1 when none is drawn
};

class LineBuilder {
public:
    LineBuilder(TextLayout& layout, const std::vector<FormatFace>& faces, double fieldWidth, bool wrap)
        : layout_(layout), faces_(faces), fieldWidth_(fieldWidth), wrap_(wrap)
    {
    }

    void paragraph(const std::vector<Item>& items, std::uint16_t paragraphFormat)
    {
        const TextFormat& pf = layout_.formats[paragraphFormat];
        std::size_t start = 0;
        bool first = true;
        // A bulleted paragraph's text stands one em in; the bullet sits in that margin.
        const double bulletIndent = pf.bullet ? pf.size : 0;
        do {
            const double indent = pf.leftMargin + pf.blockIndent + bulletIndent + (first ? pf.indent : 0);
            const double available = fieldWidth_ - 2 * kTextInset - indent - pf.rightMargin;
            const std::size_t end = breakLine(items, start, available, indent, pf);
            emitLine(items, start, end, paragraphFormat, indent, available);
            if (first && pf.bullet) addBullet(paragraphFormat);
            start = end;
            // Spaces at a wrap point belong to neither line.
            while (start < items.size() && start > 0 && items[start].c == u' ') ++start;
            first = false;
        } while (start < items.size());
    }

private:
    void addBullet(std::uint16_t paragraphFormat)
    {
        const TextFormat& pf = layout_.formats[paragraphFormat];
        const FormatFace& face = faces_[paragraphFormat];
        TextRun bullet;
        bullet.format = paragraphFormat;
        bullet.text = QString(QChar(0x2022));
        bullet.x = kTextInset + pf.leftMargin + pf.blockIndent + pf.size * 0.2;
        bullet.font = face.embedded;
        std::uint32_t glyph = 0;
        bullet.width = std::max(0.0, face.advance(bullet.text[0], &glyph));
        if (face.embedded) {
            if (face.advance(bullet.text[0], &glyph) < 0) return;  // the font has no bullet
            bullet.glyphs.push_back(glyph);
            bullet.glyphX.push_back(bullet.x);
        }
        auto& runs = layout_.lines.back().runs;
        runs.insert(runs.begin(), std::move(bullet));
    }

    double tabAdvance(double x, const TextFormat& pf) const
    {
        for (double stop : pf.tabStops)
            if (stop > x + 0.5) return stop - x;
        const double step = kDefaultTabStep;
        return (std::floor(x / step) + 1) * step - x;
    }

    double advanceOf(const Item& item, double x, const TextFormat& pf) const
    {
        return item.c == u'\t' ? tabAdvance(x, pf) : std::max(0.0, item.advance);
    }

    // The end (exclusive) of the line starting at `start`.
    std::size_t breakLine(const std::vector<Item>& items, std::size_t start, double available, double indent,
                          const TextFormat& pf) const
    {
        if (!wrap_) return items.size();
        double x = 0;
        std::size_t lastBreak = 0;  // 0: none yet
        for (std::size_t i = start; i < items.size(); ++i) {
            const Item& item = items[i];
            const double adv = advanceOf(item, x + indent, pf);
            const bool isSpace = item.c == u' ';
            if (!isSpace && x + adv > available + 0.01 && i > start) {
                if (lastBreak > start) return lastBreak;
                return i;  // one word longer than the line: break inside it
            }
            x += adv;
            if (isSpace) lastBreak = i + 1;
            else if (isCjk(item.c.unicode())) lastBreak = i + 1;
            if (i + 1 < items.size() && isCjk(items[i + 1].c.unicode()) && !isSpace) lastBreak = std::max(lastBreak, i + 1);
        }
        return items.size();
    }

    void emitLine(const std::vector<Item>& items, std::size_t start, std::size_t end, std::uint16_t paragraphFormat,
                  double indent, double available)
    {
        const TextFormat& pf = layout_.formats[paragraphFormat];
        TextLine line;
        // Metrics from the characters on the line, or from the paragraph's format when empty.
        double ascent = 0, descent = 0;
        if (start == end) {
            ascent = faces_[paragraphFormat].ascent;
            descent = faces_[paragraphFormat].descent;
        }
        for (std::size_t i = start; i < end; ++i) {
            ascent = std::max(ascent, faces_[items[i].format].ascent);
            descent = std::max(descent, faces_[items[i].format].descent);
        }
        // Positions, runs of one format.
        double x = 0;
        double contentWidth = 0;
        for (std::size_t i = start; i < end; ++i) {
            const Item& item = items[i];
            const double adv = advanceOf(item, x + indent, pf);
            // A tab ends its run: device text is drawn run by run, and the gap must not close.
            const bool afterTab = i > start && items[i - 1].c == u'\t';
            if (line.runs.empty() || line.runs.back().format != item.format || afterTab) {
                TextRun run;
                run.format = item.format;
                run.x = x;
                run.font = faces_[item.format].embedded;
                line.runs.push_back(std::move(run));
            }
            TextRun& run = line.runs.back();
            if (item.c != u'\t') run.text += item.c;
            if (item.glyph >= 0) {
                run.glyphs.push_back(std::uint32_t(item.glyph));
                run.glyphX.push_back(x);
            }
            x += adv;
            run.width = x - run.x;
            if (item.c != u' ') contentWidth = x;
        }
        double offset = kTextInset + indent;
        if (pf.align == TextAlign::Right) offset += available - contentWidth;
        else if (pf.align == TextAlign::Center) offset += (available - contentWidth) / 2;
        for (TextRun& run : line.runs) {
            run.x += offset;
            for (double& gx : run.glyphX) gx += offset;
        }
        line.left = offset;
        line.width = contentWidth;
        line.ascent = ascent;
        line.descent = descent;
        line.leading = pf.leading;
        line.top = y_;
        line.baseline = y_ + ascent;
        y_ += ascent + descent + pf.leading;
        layout_.textWidth = std::max(layout_.textWidth, contentWidth + indent + pf.rightMargin);
        layout_.lines.push_back(std::move(line));
    }

    TextLayout& layout_;
    const std::vector<FormatFace>& faces_;
    double fieldWidth_;
    bool wrap_;
    double y_ = kTextInset;
};

}  // namespace

TextFieldState TextFieldState::fromDefinition(const EditTextDefinition& field)
{
    TextFieldState state;
    state.text = field.initialText.value_or(std::string());
    state.html = field.html;
    state.bounds = field.bounds;
    state.wordWrap = field.wordWrap;
    state.multiline = field.multiline;
    state.password = field.password;
    state.border = field.border;
    state.background = field.border;
    state.embedFonts = field.useOutlines;
    return state;
}

TextFormat defaultTextFormat(const EditTextDefinition& field, const RenderResources& resources)
{
    TextFormat format;
    format.fontId = field.fontId.value_or(0);
    if (field.fontId) {
        if (const FontDefinition* font = resources.font(*field.fontId)) {
            format.font = font->name;
            format.bold = font->bold;
            format.italic = font->italic;
        }
    }
    if (format.font.empty()) format.font = field.fontClass.empty() ? "_serif" : field.fontClass;
    format.size = field.fontHeight;
    format.color = field.color.value_or(Rgba{0, 0, 0, 255});
    format.align = field.align;
    format.leftMargin = field.leftMargin;
    format.rightMargin = field.rightMargin;
    format.indent = field.indent;
    format.leading = field.leading;
    return format;
}

QFont deviceFont(const TextFormat& format)
{
    QFont font;
    const std::string& name = format.font;
    if (name == "_sans" || name.empty()) {
        font.setFamily(QStringLiteral("sans-serif"));
        font.setStyleHint(QFont::SansSerif);
    } else if (name == "_serif") {
        font.setFamily(QStringLiteral("serif"));
        font.setStyleHint(QFont::Serif);
    } else if (name == "_typewriter") {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::TypeWriter);
    } else {
        font.setFamily(QString::fromStdString(name));
    }
    font.setPixelSize(std::max(1, int(std::lround(std::clamp(format.size, 1.0, 1e5)))));
    font.setBold(format.bold);
    font.setItalic(format.italic);
    font.setKerning(false);
    return font;
}

TextLayout layoutTextField(const EditTextDefinition& field, const TextFieldState& state,
                           const RenderResources& resources)
{
    TextLayout layout;
    const TextFormat base = defaultTextFormat(field, resources);
    const QString source = QString::fromStdString(state.text);
    StyledText styled = state.html ? parseHtmlText(source, base) : styledPlainText(source, base);
    if (state.password)
        for (QChar& c : styled.text)
            if (c != u'\n') c = u'*';
    layout.formats = std::move(styled.formats);

    const FontDefinition* fieldFont = field.fontId ? resources.font(*field.fontId) : nullptr;
    std::vector<FormatFace> faces;
    faces.reserve(layout.formats.size());
    for (const TextFormat& f : layout.formats) faces.push_back(resolveFace(f, fieldFont, state.embedFonts, resources));

    const double fieldWidth = state.bounds.xMax - state.bounds.xMin;
    LineBuilder builder(layout, faces, fieldWidth, state.wordWrap);
    std::vector<Item> items;
    std::uint16_t paragraphFormat = styled.formatOfChar.empty() ? 0 : styled.formatOfChar[0];
    const qsizetype count = styled.text.size();
    for (qsizetype i = 0; i <= count; ++i) {
        if (i == count || styled.text[i] == u'\n') {
            if (!items.empty()) paragraphFormat = items.front().format;
            else if (i < count) paragraphFormat = styled.formatOfChar[std::size_t(i)];
            builder.paragraph(items, paragraphFormat);
            items.clear();
            continue;
        }
        const QChar c = styled.text[i];
        const std::uint16_t f = styled.formatOfChar[std::size_t(i)];
        std::uint32_t glyph = 0;
        const double advance = faces[f].advance(c, &glyph);
        const bool drawn = faces[f].embedded ? advance >= 0 : true;
        if (faces[f].embedded && !drawn && c != u'\t') continue;  // missing from the embedded font
        items.push_back({c, f, advance, faces[f].embedded && drawn && c != u'\t' ? std::int64_t(glyph) : -1});
    }

    if (!layout.lines.empty()) {
        const TextLine& last = layout.lines.back();
        layout.textHeight = last.top + last.ascent + last.descent - kTextInset;
        // The last scroll position that still fills the field: count back from the last line.
        const double visible = (state.bounds.yMax - state.bounds.yMin) - 2 * kTextInset;
        int first = int(layout.lines.size());
        while (first > 0) {
            const TextLine& l = layout.lines[std::size_t(first - 1)];
            if (last.top + last.ascent + last.descent - l.top > visible + 0.5) break;
            --first;
        }
        layout.maxScroll = std::max(1, std::min(first + 1, int(layout.lines.size())));
    }
    return layout;
}

}  // namespace swf::render
