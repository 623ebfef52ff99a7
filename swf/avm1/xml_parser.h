#pragma once
// A small non-recursive XML parser with the error codes of the XML object's `status`, and the
// escaping rules of XMLNode.toString().

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf::avm1 {

struct XmlParseNode {
    enum class Type { Element = 1, Text = 3 } type = Type::Element;
    std::u16string name;   // element name
    std::u16string value;  // text
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
    std::vector<int> children;  // indices into XmlParseResult::nodes
};

struct XmlParseResult {
    int status = 0;  // 0 ok; -2 CDATA, -3 declaration, -4 DOCTYPE, -5 comment, -6 element,
                     // -8 attribute value, -9 unclosed element, -10 end tag without start
    std::u16string xmlDecl;
    std::u16string docTypeDecl;
    std::vector<XmlParseNode> nodes;  // nodes[0] is the document
};

XmlParseResult parseXml(std::u16string_view text, bool ignoreWhite);

// Entities &lt; &gt; &amp; &quot; &apos; and numeric references to characters.
std::u16string decodeXmlEntities(std::u16string_view text);
std::u16string escapeXmlText(std::u16string_view text);

}  // namespace swf::avm1
