// Handlers whose areas are not built yet. Each is defined empty here so that the window links
// and its controls are wired; the area that builds a handler deletes its definition from this file.
#include "app/form1.h"

void Form1::File1_Click() {}  // movie selection, player/
void Form1::Toolbar1_ButtonClick(QToolButton*) {}  // playback toolbar, player/
void Form1::Timer1_Timer() {}  // banner rotation, banner/
void Form1::ChangeImage() {}  // banner rotation, banner/
void Form1::Picture1_Click() {}  // banner link, banner/
void Form1::Command1_Click() {}  // web-site buttons, banner/
void Form1::Command2_Click() {}  // web-site buttons, banner/
void Form1::Command3_Click() {}  // web-site buttons, banner/
void Form1::Command4_Click() {}  // web-site buttons, banner/
void Form1::lblRight_Click() {}  // author contact, banner/
