#pragma once
// The playback toolbar's buttons: each carries its key as the "Key" property, which
// Toolbar1_ButtonClick reads to tell them apart.

#include <QIcon>
#include <QString>

class ImageList;
class QToolButton;

// The clicked button's key. Throws ViewerError when there is no button or it has no key.
QString toolbarButtonKey(const QToolButton* button);

// The toolbar's picture for image `index` of `list`, drawn in one cell of the list's image size.
// A picture wider or taller than the cell is scaled down whole, in its own proportions, and centred
// on its own background colour (the colour of its top-left pixel), so that nothing of it is
// cut off or distorted and the cell stays a full opaque square.
QIcon toolbarIcon(const ImageList& list, int index);
