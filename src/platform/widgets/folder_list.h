#pragma once
// A folder list that behaves like a classic directory list box: it shows the current folder, its
// ancestors and its subfolders; a single click or an arrow key only highlights an entry; a double
// click, Enter, or losing the focus enters the highlighted folder.

#include <QListWidget>

namespace lumarel {

class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Makes path the current folder and refills the list. A folder that cannot be entered leaves
    // everything as it was; *why says what went wrong.
    bool setPath(const QString& path, QString* why = nullptr);
    QString highlightedPath() const;

signals:
    void pathChanged(const QString& path);
    // The highlighted entry should be entered (double click or Enter).
    void enterRequested();
    void focusLost();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString path_;
};

}  // namespace lumarel
