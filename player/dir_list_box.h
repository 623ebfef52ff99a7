#pragma once
// The folder list, in the classic style: the current folder's ancestors from its volume's root
// down to the folder itself, then its subfolders, each indented one step further. A single click
// only selects an entry; a double-click, or Enter on the selected entry, opens it, making it the
// current folder. The list reads a folder only when its Path is set: it never refreshes itself.

#include <QListWidget>

class DirListBox : public QListWidget {
    Q_OBJECT

public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder: absolute, no trailing separator except for "/". Empty until set.
    const QString& Path() const { return path_; }

    // Makes `path` the current folder and lists it. Throws ViewerError, changing nothing, when
    // the folder cannot be listed. changed() follows when the current folder is a different one.
    void setPath(const QString& path);

    // The full path an entry stands for.
    static QString entryPath(const QListWidgetItem* item);

signals:
    void changed();
    // Opening an entry failed; the message names the folder and the reason.
    void openFailed(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openEntry(const QListWidgetItem* item);

    QString path_;
};
