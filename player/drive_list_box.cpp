#include "player/drive_list_box.h"

#include <QSignalBlocker>

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    setVolumes(mountedVolumes());
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit changed(); });
}

void DriveListBox::setVolumes(const QList<Volume>& volumes)
{
    const QSignalBlocker quiet(this);
    const QString chosen = Drive();
    volumes_ = volumes;
    clear();
    int chosenIndex = 0;
    for (int i = 0; i < volumes_.size(); ++i) {
        addItem(entryText(volumes_[i]), volumes_[i].rootPath);
        if (volumes_[i].rootPath == chosen)
            chosenIndex = i;
    }
    if (!volumes_.isEmpty())
        setCurrentIndex(chosenIndex);
}

QString DriveListBox::Drive() const
{
    return currentData().toString();
}

void DriveListBox::showDriveOf(const QString& path)
{
    const QString root = volumeRootOf(path);
    int index = findData(root);
    if (index < 0) {
        QList<Volume> widened = volumes_;
        widened.push_back({root, {}});
        setVolumes(widened);
        index = findData(root);
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
}

QString DriveListBox::entryText(const Volume& volume)
{
    if (volume.label.isEmpty() || volume.label == volume.rootPath)
        return volume.rootPath;
    return volume.rootPath + QStringLiteral(" [") + volume.label + QLatin1Char(']');
}
