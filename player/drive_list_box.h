#pragma once
// The drive list: a drop-down list of volumes. Its Drive is the chosen volume's root path;
// changed() follows every change of the chosen volume.

#include <QComboBox>
#include <QList>

#include "player/volumes.h"

class DriveListBox : public QComboBox {
    Q_OBJECT

public:
    // Lists the mounted volumes (mountedVolumes()).
    explicit DriveListBox(QWidget* parent = nullptr);

    // Replaces the volumes listed. The chosen volume stays chosen if it is still listed;
    // otherwise the first one is. No change is signalled.
    void setVolumes(const QList<Volume>& volumes);
    const QList<Volume>& volumes() const { return volumes_; }

    // The root path of the chosen volume.
    QString Drive() const;

    // Chooses the volume that holds `path` without signalling a change: the starting state.
    // A volume the list leaves out (say, a memory file system holding the current folder) is
    // added so that the list can show where the folder list is.
    void showDriveOf(const QString& path);

signals:
    void changed();

private:
    static QString entryText(const Volume& volume);

    QList<Volume> volumes_;
};
