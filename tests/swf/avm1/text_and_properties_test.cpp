// Pure pieces under the VM: the property map, text conversions, code pages, URL encoding,
// case mapping and the XML parser.

#include <gtest/gtest.h>

#include "swf/avm1/case_mapping.h"
#include "swf/avm1/object.h"
#include "swf/avm1/string.h"
#include "swf/avm1/text_encoding.h"
#include "swf/avm1/xml_parser.h"

namespace swf::avm1 {
namespace {

String key(const char* prefix, int i)
{
    std::string s(prefix);
    s.append(std::to_string(i));
    return String(s.c_str());
}

std::vector<std::string> namesOf(const PropertyMap& m)
{
    std::vector<std::string> out;
    m.forEach([&](const Property& p) { out.push_back(p.name.toUtf8()); });
    return out;
}

TEST(PropertyMap, KeepsInsertionOrderThroughDeletesAndGrowth)
{
    PropertyMap m;
    for (int i = 0; i < 40; ++i) m.add(key("p", i), Value(i));
    for (int i = 0; i < 40; i += 2) m.remove(m.find(key("p", i), true));
    m.add(String("late"), Value(1));
    std::vector<std::string> names = namesOf(m);
    ASSERT_EQ(names.size(), 21u);
    EXPECT_EQ(names.front(), "p1");
    EXPECT_EQ(names[19], "p39");
    EXPECT_EQ(names.back(), "late");
    for (int i = 1; i < 40; i += 2) {
        int index = m.find(key("p", i), true);
        ASSERT_GE(index, 0) << i;
        EXPECT_EQ(m.at(index).value.asNumber(), i);
    }
    EXPECT_LT(m.find(String("p0"), true), 0);
}

TEST(PropertyMap, CaseRulesOnSmallAndIndexedMaps)
{
    for (int extra : {0, 20}) {
        PropertyMap m;
        for (int i = 0; i < extra; ++i) m.add(key("x", i), Value(i));
        m.add(String("Speed"), Value(1));
        m.add(String("speed"), Value(2));  // a different property for SWF 7
        EXPECT_EQ(m.at(m.find(String("speed"), true)).value.asNumber(), 2) << extra;
        EXPECT_EQ(m.at(m.find(String("SPEED"), false)).value.asNumber(), 1) << extra;  // the oldest match
        EXPECT_LT(m.find(String("SPEED"), true), 0) << extra;
        m.add(String(u"\u00E4pfel"), Value(3));
        EXPECT_EQ(m.at(m.find(String(u"\u00C4PFEL"), false)).value.asNumber(), 3) << extra;
    }
}

TEST(Strings, Utf8RoundTripAndInvalidSequences)
{
    String s = String::fromUtf8("a\xC3\xA4\xF0\x9F\x98\x8B");  // a, ä, an emoji (surrogate pair)
    EXPECT_EQ(s.size(), 4u);
    EXPECT_EQ(s.toUtf8(), "a\xC3\xA4\xF0\x9F\x98\x8B");
    EXPECT_EQ(utf8ToUtf16("\xC3"), u"\uFFFD");                 // truncated
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");       // overlong
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80x"), u"\uFFFD\uFFFD\uFFFDx");  // encoded surrogate
    EXPECT_EQ(utf16ToUtf8(u"\xD800"), "\xEF\xBF\xBD");          // lone surrogate
}

TEST(Strings, CaseFoldingOfIdentifiersCoversLettersBeyondAscii)
{
    EXPECT_TRUE(String(u"\u00C4BC").equalsIgnoreCase(String(u"\u00E4bc")));
    EXPECT_TRUE(String(u"\u04E4").equalsIgnoreCase(String(u"\u04E5")));
    EXPECT_FALSE(String(u"abc").equalsIgnoreCase(String(u"abd")));
    EXPECT_EQ(String(u"\u00C4").foldedHash(), String(u"\u00E4").foldedHash());
    EXPECT_EQ(toUpperChar(u'\u00FF'), u'\u0178');
    EXPECT_EQ(toLowerChar(u'\u0130'), u'i');
    EXPECT_EQ(toUpperChar(u'\u00DF'), u'\u00DF');  // no single-letter capital
}

TEST(UrlEncoding, EscapeAndUnescape)
{
    EXPECT_EQ(urlEscape(u"a b/\u00FC"), u"a%20b%2F%C3%BC");
    EXPECT_EQ(urlEscape(u"\u00FC", false), u"%FC");
    EXPECT_EQ(urlUnescape(u"Hello+World%21"), u"Hello World!");
    EXPECT_EQ(urlUnescape(u"%C4%80"), u"\u0100");
    EXPECT_EQ(urlUnescape(u"aaa%zz"), u"aaaz");    // a broken escape drops what it spoils
    EXPECT_EQ(urlUnescape(u"aaa%4zz"), u"aaaz");
    EXPECT_EQ(urlUnescape(u"%"), u"");
}

TEST(XmlParser, ElementsTextAttributesAndEntities)
{
    XmlParseResult r = parseXml(u"<?xml version=\"1.0\"?><a x=\"1&amp;2\" y='q'>t&lt;1<b/><![CDATA[<raw>]]></a>", false);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.xmlDecl, u"<?xml version=\"1.0\"?>");
    ASSERT_EQ(r.nodes[0].children.size(), 1u);
    const XmlParseNode& a = r.nodes[static_cast<std::size_t>(r.nodes[0].children[0])];
    EXPECT_EQ(a.name, u"a");
    ASSERT_EQ(a.attributes.size(), 2u);
    EXPECT_EQ(a.attributes[0].second, u"1&2");
    ASSERT_EQ(a.children.size(), 3u);
    EXPECT_EQ(r.nodes[static_cast<std::size_t>(a.children[0])].value, u"t<1");
    EXPECT_EQ(r.nodes[static_cast<std::size_t>(a.children[2])].value, u"<raw>");
}

TEST(XmlParser, StatusCodesForBrokenDocuments)
{
    EXPECT_EQ(parseXml(u"<a><b></a>", false).status, -9);
    EXPECT_EQ(parseXml(u"<a>", false).status, -9);
    EXPECT_EQ(parseXml(u"</a>", false).status, -10);
    EXPECT_EQ(parseXml(u"<!-- open", false).status, -5);
    EXPECT_EQ(parseXml(u"<![CDATA[ open", false).status, -2);
    EXPECT_EQ(parseXml(u"<a x=\"open></a>", false).status, -8);
    EXPECT_EQ(parseXml(u"<a x></a>", false).status, -6);
}

TEST(XmlParser, IgnoreWhiteAndDeepNestingWithoutRecursion)
{
    EXPECT_EQ(parseXml(u"<a> <b/> </a>", true).nodes.size(), 3u);
    EXPECT_EQ(parseXml(u"<a> <b/> </a>", false).nodes.size(), 5u);
    std::u16string deep;
    for (int i = 0; i < 100000; ++i) deep += u"<n>";
    for (int i = 0; i < 100000; ++i) deep += u"</n>";
    XmlParseResult r = parseXml(deep, false);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.nodes.size(), 100001u);
}

}  // namespace
}  // namespace swf::avm1
