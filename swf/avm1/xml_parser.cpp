#include "swf/avm1/xml_parser.h"

#include <algorithm>

#include "swf/avm1/number_format.h"

namespace swf::avm1 {

namespace {

bool isNameChar(char16_t c)
{
    return !(c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'/' || c == u'>' || c == u'=' ||
             c == u'<' || c == u'"' || c == u'\'');
}

bool allWhite(std::u16string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return isAsciiWhitespace(c); });
}

}  // namespace

std::u16string decodeXmlEntities(std::u16string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != u'&') {
            out += s[i];
            continue;
        }
        std::size_t semi = s.find(u';', i);
        if (semi == std::u16string_view::npos || semi - i > 10) {
            out += s[i];
            continue;
        }
        std::u16string_view ent = s.substr(i + 1, semi - i - 1);
        char16_t c = 0;
        if (ent == u"lt") c = u'<';
        else if (ent == u"gt") c = u'>';
        else if (ent == u"amp") c = u'&';
        else if (ent == u"quot") c = u'"';
        else if (ent == u"apos") c = u'\'';
        else if (ent.size() > 1 && ent[0] == u'#') {
            double v = ent[1] == u'x' || ent[1] == u'X' ? parseIntPrefix(ent.substr(2), 16) : parseIntPrefix(ent.substr(1), 10);
            if (v > 0 && v < 65536) c = static_cast<char16_t>(v);
        }
        if (c == 0) {
            out += s[i];
            continue;
        }
        out += c;
        i = semi;
    }
    return out;
}

std::u16string escapeXmlText(std::u16string_view s)
{
    std::u16string out;
    for (char16_t c : s) {
        switch (c) {
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'&': out += u"&amp;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

XmlParseResult parseXml(std::u16string_view s, bool ignoreWhite)
{
    XmlParseResult r;
    r.nodes.emplace_back();  // the document
    std::vector<int> open{0};
    auto addNode = [&](XmlParseNode n) {
        r.nodes.push_back(std::move(n));
        int index = static_cast<int>(r.nodes.size() - 1);
        r.nodes[static_cast<std::size_t>(open.back())].children.push_back(index);
        return index;
    };
    auto addText = [&](std::u16string text) {
        if (text.empty() || (ignoreWhite && allWhite(text))) return;
        XmlParseNode n;
        n.type = XmlParseNode::Type::Text;
        n.value = std::move(text);
        addNode(std::move(n));
    };
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != u'<') {
            std::size_t lt = s.find(u'<', i);
            if (lt == std::u16string_view::npos) lt = s.size();
            addText(decodeXmlEntities(s.substr(i, lt - i)));
            i = lt;
            continue;
        }
        if (s.compare(i, 4, u"<!--") == 0) {
            std::size_t end = s.find(u"-->", i + 4);
            if (end == std::u16string_view::npos) {
                r.status = -5;
                break;
            }
            i = end + 3;
        } else if (s.compare(i, 9, u"<![CDATA[") == 0) {
            std::size_t end = s.find(u"]]>", i + 9);
            if (end == std::u16string_view::npos) {
                r.status = -2;
                break;
            }
            XmlParseNode n;
            n.type = XmlParseNode::Type::Text;
            n.value = std::u16string(s.substr(i + 9, end - i - 9));
            addNode(std::move(n));
            i = end + 3;
        } else if (s.compare(i, 2, u"<?") == 0) {
            std::size_t end = s.find(u"?>", i + 2);
            if (end == std::u16string_view::npos) {
                r.status = -3;
                break;
            }
            r.xmlDecl += std::u16string(s.substr(i, end + 2 - i));
            i = end + 2;
        } else if (s.compare(i, 2, u"<!") == 0) {
            std::size_t end = s.find(u'>', i + 2);
            if (end == std::u16string_view::npos) {
                r.status = -4;
                break;
            }
            r.docTypeDecl = std::u16string(s.substr(i, end + 1 - i));
            i = end + 1;
        } else if (s.compare(i, 2, u"</") == 0) {
            std::size_t end = s.find(u'>', i + 2);
            if (end == std::u16string_view::npos) {
                r.status = -6;
                break;
            }
            std::u16string_view name = s.substr(i + 2, end - i - 2);
            while (!name.empty() && isAsciiWhitespace(name.back())) name.remove_suffix(1);
            if (open.size() <= 1) {
                r.status = -10;
                break;
            }
            if (r.nodes[static_cast<std::size_t>(open.back())].name != name) {
                r.status = -9;
                break;
            }
            open.pop_back();
            i = end + 1;
        } else {
            // Start tag: name, attributes, optional self-closing slash.
            std::size_t j = i + 1;
            while (j < s.size() && isNameChar(s[j])) ++j;
            XmlParseNode n;
            n.name = std::u16string(s.substr(i + 1, j - i - 1));
            if (n.name.empty()) {
                r.status = -6;
                break;
            }
            bool selfClosing = false;
            bool bad = false;
            while (true) {
                while (j < s.size() && isAsciiWhitespace(s[j])) ++j;
                if (j >= s.size()) {
                    bad = true;
                    break;
                }
                if (s[j] == u'>') {
                    ++j;
                    break;
                }
                if (s[j] == u'/' && j + 1 < s.size() && s[j + 1] == u'>') {
                    selfClosing = true;
                    j += 2;
                    break;
                }
                std::size_t k = j;
                while (k < s.size() && isNameChar(s[k])) ++k;
                std::u16string attrName(s.substr(j, k - j));
                while (k < s.size() && isAsciiWhitespace(s[k])) ++k;
                if (attrName.empty() || k >= s.size() || s[k] != u'=') {
                    bad = true;
                    break;
                }
                ++k;
                while (k < s.size() && isAsciiWhitespace(s[k])) ++k;
                if (k >= s.size() || (s[k] != u'"' && s[k] != u'\'')) {
                    bad = true;
                    break;
                }
                std::size_t close = s.find(s[k], k + 1);
                if (close == std::u16string_view::npos) {
                    r.status = -8;
                    break;
                }
                std::u16string value = decodeXmlEntities(s.substr(k + 1, close - k - 1));
                // A repeated attribute keeps its first value.
                bool seen = std::any_of(n.attributes.begin(), n.attributes.end(),
                                        [&](const auto& a) { return a.first == attrName; });
                if (!seen) n.attributes.emplace_back(std::move(attrName), std::move(value));
                j = close + 1;
            }
            if (r.status != 0) break;
            if (bad) {
                r.status = -6;
                break;
            }
            int index = addNode(std::move(n));
            if (!selfClosing) open.push_back(index);
            i = j;
        }
    }
    if (r.status == 0 && open.size() > 1) r.status = -9;
    return r;
}

}  // namespace swf::avm1
