#pragma once
// Character case mapping for the String methods.

namespace swf::avm1 {

char16_t toLowerChar(char16_t c);
char16_t toUpperChar(char16_t c);

}  // namespace swf::avm1
