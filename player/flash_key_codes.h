#pragma once
// Flash key codes for Qt keys. Flash numbers keys as the Windows virtual keys do: letters and
// digits by their upper-case ASCII code, the arrows 37 to 40, F1 to F12 112 to 123, and so on.
// Punctuation keys get the codes of their place on a US keyboard.

#include <Qt>

// The key code for `qtKey` (a Qt::Key), or 0 for a key Flash has no code for. The keypad
// modifier tells the number pad's digits and operators from the main keyboard's.
int flashKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
