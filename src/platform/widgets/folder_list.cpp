#include "platform/widgets/folder_list.h"

#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

#include "platform/file_listing.h"

namespace lumarel {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit enterRequested(); });
}

bool FolderList::setPath(const QString& path, QString* why)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    if (!canEnterFolder(absolute, why))
        return false;
    const bool changed = absolute != path_;
    path_ = absolute;
    clear();
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (const FolderEntry& entry : folderEntries(absolute)) {
        auto* item = new QListWidgetItem(QString(entry.depth * 2, QLatin1Char(' ')) + entry.label, this);
        item->setData(kPathRole, entry.path);
        item->setIcon(entry.current || entry.depth == 0 ? open : closed);
        if (entry.current)
            setCurrentItem(item);
    }
    if (changed)
        emit pathChanged(path_);
    return true;
}

QString FolderList::highlightedPath() const
{
    const QListWidgetItem* item = currentItem();
    return item ? item->data(kPathRole).toString() : path_;
}

void FolderList::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    // A popup or a message box taking the focus for a moment is not the user moving on.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        emit focusLost();
}

void FolderList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterRequested();
        return;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace lumarel
