#pragma once
// A file list: the files of one folder that match a pattern ("*.gif;*.bmp", letter case ignored).
// A click, or moving the selection with the keyboard, chooses a file. Names are shown through
// visibleName; each entry keeps its name as it is on disk for opening.

#include <QListWidget>

namespace lumarel {

class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    void setPath(const QString& path);
    QString pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    // The selected file's name (without folder) as it is on disk (a path codec string), or empty.
    QString fileName() const;
    // Reads the folder again, keeping the selected file selected where it still exists. Nothing is
    // chosen by this.
    void refresh();

signals:
    void fileChosen();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refill();
    static QString nameOf(const QListWidgetItem* item);  // as it is on disk

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

}  // namespace lumarel
