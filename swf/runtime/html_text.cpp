#include "swf/runtime/html_text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace swf::runtime {
namespace {

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// The tag's name in lower case, without a leading '/'.
std::u16string tagName(std::u16string_view tag, bool& closing)
{
    closing = !tag.empty() && tag.front() == u'/';
    if (closing) tag.remove_prefix(1);
    std::u16string name;
    for (char16_t c : tag) {
        if (c == u' ' || c == u'/' || c == u'\t' || c == u'\r' || c == u'\n') break;
        name += lower(c);
    }
    return name;
}

}  // namespace

std::u16string htmlToPlain(std::u16string_view html)
{
    static const std::array<std::pair<std::u16string_view, char16_t>, 6> entities = {{
        {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&amp;", u'&'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}, {u"&nbsp;", 0xA0},
    }};
    std::u16string out;
    bool paragraphOpen = false;
    std::size_t i = 0;
    while (i < html.size()) {
        const char16_t c = html[i];
        if (c == u'<') {
            const std::size_t end = html.find(u'>', i);
            if (end == std::u16string_view::npos) break;
            bool closing = false;
            const std::u16string name = tagName(html.substr(i + 1, end - i - 1), closing);
            if (name == u"br") {
                out += u'\r';
            } else if (name == u"p" || name == u"li") {
                if (closing) {
                    out += u'\r';
                    paragraphOpen = false;
                } else {
                    paragraphOpen = true;
                }
            }
            i = end + 1;
            continue;
        }
        if (c == u'&') {
            bool matched = false;
            for (const auto& [entity, ch] : entities) {
                if (html.substr(i, entity.size()) == entity) {
                    out += ch;
                    i += entity.size();
                    matched = true;
                    break;
                }
            }
            if (matched) continue;
        }
        out += c;
        ++i;
    }
    // A last paragraph's end adds no break of its own.
    if (!paragraphOpen && !out.empty() && out.back() == u'\r' && html.size() >= 4) {
        std::u16string tail(html.substr(html.size() - 4));
        std::transform(tail.begin(), tail.end(), tail.begin(), lower);
        if (tail == u"</p>") out.pop_back();
    }
    return out;
}

std::u16string escapeHtml(std::u16string_view text)
{
    std::u16string out;
    for (char16_t c : text) {
        switch (c) {
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'&': out += u"&amp;"; break;
        case u'"': out += u"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace swf::runtime
