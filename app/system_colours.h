#pragma once
// The classic system colours the window's design names, mapped onto the Qt palette once.

#include <QColor>
#include <QPalette>

namespace system_colours {

// "3-D face": the background of the window, its labels and the banner box.
inline QColor face(const QPalette& palette) { return palette.color(QPalette::Active, QPalette::Button); }

// "Button text": the labels' default text colour.
inline QColor buttonText(const QPalette& palette) { return palette.color(QPalette::Active, QPalette::ButtonText); }

// "Active border": the credit label's background. Qt has no border role; the active window
// colour is the nearest, and like the classic active border it is a light neutral grey.
inline QColor activeBorder(const QPalette& palette) { return palette.color(QPalette::Active, QPalette::Window); }

}  // namespace system_colours
