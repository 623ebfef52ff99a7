// Puts each built-in picture on its control as the window is created. They are decoded here,
// once, from the files compiled into the program; the controls hold them for the window's life.
#include <QLabel>

#include "app/form1.h"
#include "app/image_control.h"
#include "app/image_list.h"
#include "app/picture_box.h"
#include "resources/pictures.h"

void Form1::setPictures()
{
    for (std::size_t index = 0; index < Image2.size(); ++index)
        Image2[index]->setPicture(pictures::bannerFrame(static_cast<int>(index)));
    Image1->setPicture(pictures::startupPicture());  // Image1 stretches it to its own size
    for (int index = 1; index <= pictures::toolbarImageCount; ++index)
        ImageList1->add(pictures::toolbarImage(index));
    setWindowIcon(pictures::windowIcon());
    const QCursor hand = pictures::handCursor();
    Picture1->setCursor(hand);
    lblRight->setCursor(hand);
}
