#pragma once
// A folder list that behaves like a classic directory list box: it shows the current folder, its
// ancestors and its subfolders; a single click or an arrow key only highlights an entry; a double
// click, Enter, or losing the focus enters the highlighted folder. Typing a name's first letters
// highlights it, as in the file list.

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
    // Reads the current folder again, keeping the highlighted entry where it still exists. A
    // current folder that has gone gives way to its nearest existing ancestor, without a message
    // (pathChanged follows).
    void refresh();

signals:
    void pathChanged(const QString& path);
    // The highlighted entry should be entered (double click or Enter).
    void enterRequested();
    void focusLost();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();

    QString path_;
};

}  // namespace lumarel
