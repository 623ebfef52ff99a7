// The folder chooser's handlers: the drive list moves the folder list, the folder list moves
// the file list.
#include <QDir>

#include "app/form1.h"
#include "app/handler_failure.h"
#include "player/dir_list_box.h"
#include "player/drive_list_box.h"
#include "player/file_list_box.h"

void Form1::Drive1_Change()
{
    // Skip-on-failure: a drive that cannot be read leaves the folder and file lists as they were.
    skipOnFailure([this] { Dir1->setPath(Drive1->Drive()); });
}

void Form1::Dir1_Change()
{
    File1->setPath(Dir1->Path());
}

void Form1::startChooser()
{
    // The lists start where the process is. A current folder that cannot be listed leaves the
    // folder and file lists empty; there is no handler yet to report to.
    const QString here = QDir::currentPath();
    Drive1->showDriveOf(here);
    skipOnFailure([&] { Dir1->setPath(here); });
    skipOnFailure([&] { File1->setPath(here); });
}
