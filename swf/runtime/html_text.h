#pragma once
// The plain text of a field's HTML source: tags dropped, the five entities decoded, and <br>
// and paragraph ends as line breaks (\r, as Flash reports them). And the reverse for htmlText of
// a plain field: markup characters escaped.

#include <string>
#include <string_view>

namespace swf::runtime {

std::u16string htmlToPlain(std::u16string_view html);
std::u16string escapeHtml(std::u16string_view text);

}  // namespace swf::runtime
