#pragma once
// URL encoding as escape()/unescape() and form variables use it.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf::avm1 {

// escape(): every character but letters and digits becomes %XX (UTF-8 bytes for characters
// above 0x7F in SWF 6+ content, the raw code unit below 0x100 otherwise).
std::u16string urlEscape(std::u16string_view text, bool utf8 = true);
// unescape(): %XX sequences back to characters; "+" is kept as it is.
std::u16string urlUnescape(std::u16string_view text, bool utf8 = true);
// Form variables ("a=1&b=x%20y", as LoadVars.decode and loadVariables read them): pairs split
// at '&', '+' stands for a space, the first '=' ends the name; pairs without a name are dropped.
std::vector<std::pair<std::u16string, std::u16string>> decodeFormVariables(std::u16string_view text, bool utf8 = true);

}  // namespace swf::avm1
