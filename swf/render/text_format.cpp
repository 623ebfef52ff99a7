#include "swf/render/text_format.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace swf::render {

namespace {

std::uint16_t formatIndex(StyledText& styled, const TextFormat& format)
{
    // Runs of one format are long, so the last format is the usual hit.
    for (std::size_t i = styled.formats.size(); i-- > 0;)
        if (styled.formats[i] == format) return std::uint16_t(i);
    // Indices are 16-bit; a text with more distinct formats reuses the last one.
    if (styled.formats.size() >= 0xFFFF) return std::uint16_t(styled.formats.size() - 1);
    styled.formats.push_back(format);
    return std::uint16_t(styled.formats.size() - 1);
}

QString decodeEntity(const QString& name)
{
    if (name == u"lt") return QStringLiteral("<");
    if (name == u"gt") return QStringLiteral(">");
    if (name == u"amp") return QStringLiteral("&");
    if (name == u"quot") return QStringLiteral("\"");
    if (name == u"apos") return QStringLiteral("'");
    if (name == u"nbsp") return QString(QChar(0xA0));
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                                 : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            const char32_t c = code;
            return QString::fromUcs4(&c, 1);
        }
    }
    return {};
}

struct Tag {
    QString name;  // lower case, without '/'
    bool closing = false;
    std::vector<std::pair<QString, QString>> attributes;  // names lower case

    std::optional<QString> attribute(QStringView key) const
    {
        for (const auto& [k, v] : attributes)
            if (k == key) return v;
        return std::nullopt;
    }
};

QString decodeEntities(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            const qsizetype semi = s.indexOf(u';', i + 1);
            if (semi > i && semi - i <= 10) {
                const QString decoded = decodeEntity(s.mid(i + 1, semi - i - 1));
                if (!decoded.isEmpty()) {
                    out += decoded;
                    i = semi;
                    continue;
                }
            }
        }
        out += s[i];
    }
    return out;
}

// Parses the inside of <...>.
Tag parseTag(QStringView body)
{
    Tag tag;
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < body.size() && body[i].isSpace()) ++i;
    };
    skipSpace();
    if (i < body.size() && body[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < body.size() && !body[i].isSpace() && body[i] != u'/') ++i;
    tag.name = body.mid(nameStart, i - nameStart).toString().toLower();
    while (i < body.size()) {
        skipSpace();
        if (i >= body.size() || body[i] == u'/') break;
        const qsizetype keyStart = i;
        while (i < body.size() && body[i] != u'=' && !body[i].isSpace()) ++i;
        QString key = body.mid(keyStart, i - keyStart).toString().toLower();
        skipSpace();
        QString value;
        if (i < body.size() && body[i] == u'=') {
            ++i;
            skipSpace();
            if (i < body.size() && (body[i] == u'"' || body[i] == u'\'')) {
                const QChar quote = body[i++];
                const qsizetype valueStart = i;
                while (i < body.size() && body[i] != quote) ++i;
                value = body.mid(valueStart, i - valueStart).toString();
                if (i < body.size()) ++i;
            } else {
                const qsizetype valueStart = i;
                while (i < body.size() && !body[i].isSpace()) ++i;
                value = body.mid(valueStart, i - valueStart).toString();
            }
        }
        if (key.isEmpty()) {
            ++i;  // a stray character: step over it so the loop always advances
            continue;
        }
        tag.attributes.emplace_back(std::move(key), decodeEntities(value));
    }
    return tag;
}

std::optional<Rgba> parseColor(QString value)
{
    value = value.trimmed();
    if (value.startsWith(u'#')) value.remove(0, 1);
    else if (value.startsWith(u"0x", Qt::CaseInsensitive)) value.remove(0, 2);
    bool ok = false;
    const uint rgb = value.toUInt(&ok, 16);
    if (!ok || value.isEmpty() || value.size() > 6) return std::nullopt;
    return Rgba{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

std::optional<double> parsePixels(const QString& value)
{
    bool ok = false;
    const double px = value.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(px)) return std::nullopt;
    return px * 20;
}

}  // namespace

void StyledText::append(const QString& s, const TextFormat& format)
{
    if (s.isEmpty()) return;
    const std::uint16_t index = formatIndex(*this, format);
    text += s;
    formatOfChar.insert(formatOfChar.end(), std::size_t(s.size()), index);
}

StyledText styledPlainText(const QString& text, const TextFormat& format)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    StyledText styled;
    styled.append(normalized, format);
    if (styled.formats.empty()) styled.formats.push_back(format);
    return styled;
}

StyledText parseHtmlText(const QString& html, const TextFormat& base)
{
    StyledText styled;
    std::vector<std::pair<QString, TextFormat>> stack;  // open tag and the format before it
    TextFormat current = base;
    bool paragraphOpen = false;  // text has been added since the last paragraph break

    auto endParagraph = [&] {
        styled.append(QStringLiteral("\n"), current);
        paragraphOpen = false;
    };
    auto open = [&](const QString& name) { stack.emplace_back(name, current); };
    auto close = [&](const QString& name) {
        for (std::size_t i = stack.size(); i-- > 0;) {
            if (stack[i].first != name) continue;
            current = stack[i].second;
            stack.resize(i);
            return true;
        }
        return false;
    };

    qsizetype i = 0;
    // Bounded by the input: every step consumes at least one character.
    while (i < html.size()) {
        if (html[i] != u'<') {
            qsizetype next = html.indexOf(u'<', i);
            if (next < 0) next = html.size();
            QString chunk = decodeEntities(html.mid(i, next - i));
            chunk.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            chunk.replace(u'\r', u'\n');
            styled.append(chunk, current);
            if (!chunk.isEmpty()) paragraphOpen = !chunk.endsWith(u'\n');
            i = next;
            continue;
        }
        const qsizetype end = html.indexOf(u'>', i + 1);
        if (end < 0) {  // an unterminated '<' is text
            styled.append(html.mid(i), current);
            break;
        }
        const Tag tag = parseTag(QStringView(html).mid(i + 1, end - i - 1));
        i = end + 1;
        const QString& n = tag.name;
        if (n == u"br" || n == u"sbr") {
            endParagraph();
            continue;
        }
        if (n == u"tab") {
            styled.append(QStringLiteral("\t"), current);
            continue;
        }
        if (tag.closing) {
            if (close(n) && (n == u"p" || n == u"li")) endParagraph();
            continue;
        }
        if (n == u"p" || n == u"li") {
            if (paragraphOpen) endParagraph();
            open(n);
            if (n == u"li") current.bullet = true;
            if (auto align = tag.attribute(u"align")) {
                const QString a = align->toLower();
                if (a == u"left") current.align = TextAlign::Left;
                else if (a == u"right") current.align = TextAlign::Right;
                else if (a == u"center") current.align = TextAlign::Center;
                else if (a == u"justify") current.align = TextAlign::Justify;
            }
        } else if (n == u"font") {
            open(n);
            if (auto face = tag.attribute(u"face")) current.font = face->toStdString();
            if (auto size = tag.attribute(u"size")) {
                const QString s = size->trimmed();
                bool ok = false;
                const double v = (s.startsWith(u'+') ? s.mid(1) : s).toDouble(&ok);
                if (ok && std::isfinite(v)) {
                    const bool relative = s.startsWith(u'+') || s.startsWith(u'-');
                    current.size = std::clamp(relative ? current.size + v * 20 : v * 20, 20.0, 2000.0 * 20);
                }
            }
            if (auto color = tag.attribute(u"color"))
                if (auto c = parseColor(*color)) current.color = *c;
        } else if (n == u"b") {
            open(n);
            current.bold = true;
        } else if (n == u"i") {
            open(n);
            current.italic = true;
        } else if (n == u"u") {
            open(n);
            current.underline = true;
        } else if (n == u"a") {
            open(n);
            current.url = tag.attribute(u"href").value_or(QString()).toStdString();
            current.target = tag.attribute(u"target").value_or(QString()).toStdString();
        } else if (n == u"textformat") {
            open(n);
            if (auto v = tag.attribute(u"leftmargin")) current.leftMargin = parsePixels(*v).value_or(current.leftMargin);
            if (auto v = tag.attribute(u"rightmargin")) current.rightMargin = parsePixels(*v).value_or(current.rightMargin);
            if (auto v = tag.attribute(u"indent")) current.indent = parsePixels(*v).value_or(current.indent);
            if (auto v = tag.attribute(u"blockindent")) current.blockIndent = parsePixels(*v).value_or(current.blockIndent);
            if (auto v = tag.attribute(u"leading")) current.leading = parsePixels(*v).value_or(current.leading);
            if (auto v = tag.attribute(u"tabstops")) {
                current.tabStops.clear();
                for (const QString& part : v->split(u',', Qt::SkipEmptyParts))
                    if (auto px = parsePixels(part)) current.tabStops.push_back(*px);
            }
        }
        // Unknown tags: dropped, their content stays.
    }
    // A closing </p> at the very end leaves a trailing paragraph break that shows no line.
    if (styled.text.endsWith(u'\n')) {
        styled.text.chop(1);
        styled.formatOfChar.pop_back();
    }
    if (styled.formats.empty()) styled.formats.push_back(base);
    return styled;
}

}  // namespace swf::render
