#include "player/dir_list_box.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include "app/handler_failure.h"
#include "player/folder_listing.h"
#include "player/volumes.h"

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 7;

// Draws each entry shifted right by its depth in the tree.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted = option;
        shifted.rect.adjust(indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) { return index.data(kDepthRole).toInt() * kIndentPixels; }
};

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openEntry);
}

QString DirListBox::entryPath(const QListWidgetItem* item)
{
    return item ? item->data(kPathRole).toString() : QString();
}

void DirListBox::setPath(const QString& path)
{
    const QString folder = cleanFolderPath(path);
    const FolderListing listing = readFolder(folder);  // throws before anything changes

    const QString root = volumeRootOf(folder);
    QStringList chain;  // the folder and its ancestors up to the volume's root, deepest first
    for (QString step = folder; step != root && step.size() > root.size();) {
        chain.prepend(step);
        step = step.left(std::max<qsizetype>(step.lastIndexOf(QLatin1Char('/')), 1));
    }
    chain.prepend(root);

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QString& step = chain[depth];
        auto* item = new QListWidgetItem(openIcon, depth == 0 ? step : step.section(QLatin1Char('/'), -1), this);
        item->setData(kPathRole, step);
        item->setData(kDepthRole, depth);
    }
    const int currentRow = count() - 1;
    for (const QString& name : listing.folders) {
        auto* item = new QListWidgetItem(closedIcon, name, this);
        item->setData(kPathRole, joinPath(folder, name));
        item->setData(kDepthRole, static_cast<int>(chain.size()));
    }
    setCurrentRow(currentRow);

    const bool moved = folder != path_;
    path_ = folder;
    if (moved)
        emit changed();
}

void DirListBox::openEntry(const QListWidgetItem* item)
{
    if (!item)
        return;
    const QString target = entryPath(item);  // copied: setPath rebuilds the items
    try {
        setPath(target);
    } catch (const std::exception& failure) {
        emit openFailed(failureMessage(failure));
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openEntry(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}
