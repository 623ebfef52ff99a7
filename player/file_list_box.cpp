#include "player/file_list_box.h"

#include <QKeyEvent>
#include <QRegularExpression>

#include "player/folder_listing.h"

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this] { emit clicked(); });
}

void FileListBox::setPath(const QString& path)
{
    const QString folder = cleanFolderPath(path);
    const FolderListing listing = readFolder(folder);  // throws before anything changes
    const QRegularExpression match = QRegularExpression::fromWildcard(pattern_, Qt::CaseInsensitive);
    clear();
    for (const QString& name : listing.files) {
        if (match.match(name).hasMatch())
            addItem(name);
    }
    path_ = folder;
}

void FileListBox::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    if (!path_.isEmpty())
        setPath(path_);
}

QString FileListBox::FileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!selectedItems().isEmpty())
            emit clicked();
        return;
    }
    QListWidget::keyPressEvent(event);
}
