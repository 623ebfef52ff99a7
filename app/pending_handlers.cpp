// Handlers whose areas are not built yet. Each is defined empty here so that the window links
// and its controls are wired; the area that builds a handler deletes its definition from this file.
#include "app/form1.h"

void Form1::File1_Click() {}  // movie selection, player/
void Form1::Toolbar1_ButtonClick(QToolButton*) {}  // playback toolbar, player/
