// File1_Click: a click on a movie in the file list plays it.
#include "player/movie_selection.h"

#include <QLabel>

#include "app/form1.h"
#include "app/image_control.h"
#include "player/file_list_box.h"
#include "player/shockwave_flash.h"

QString fullMoviePath(const FileListBox& list)
{
    return list.Path() + QLatin1Char('/') + list.FileName();
}

void Form1::File1_Click()
{
    // Each step runs only if the one before succeeded; a movie that cannot be played is not a
    // failure here, the player shows why in its own area.
    Image1->setVisible(false);
    ShockwaveFlash1->setVisible(true);
    ShockwaveFlash1->setPlaying(true);  // before the movie is given, as the control expects
    ShockwaveFlash1->setMovie(fullMoviePath(*File1));
    lblFilename->setText(QStringLiteral("当前放映的动画是") + fullMoviePath(*File1));
    applyPlayMode();
}
