#pragma once
// The file list: the names of the files in one folder that match a wildcard pattern (letter case
// ignored), sorted. A mouse click on an entry, or Enter while an entry is selected, is a click;
// the arrow keys only move the selection. The list reads its folder only when Path or Pattern
// is set: it never refreshes itself.

#include <QListWidget>

class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    // The folder listed: absolute, no trailing separator except for "/". Empty until set.
    const QString& Path() const { return path_; }
    // Lists `path`. Throws ViewerError, changing nothing, when the folder cannot be listed.
    void setPath(const QString& path);

    const QString& Pattern() const { return pattern_; }
    // Sets the pattern and lists the folder again with it (when a folder is set).
    void setPattern(const QString& pattern);

    // The selected file's name, without its folder; empty when none is selected.
    QString FileName() const;

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};
