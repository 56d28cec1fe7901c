#include "platform/widgets/file_list.h"

#include <QKeyEvent>

#include "platform/file_listing.h"

namespace lumarel {

FileList::FileList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this] { emit fileChosen(); });
}

void FileList::keyPressEvent(QKeyEvent* event)
{
    // Moving the selection with the keyboard chooses the file, as a click does.
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0)
        emit fileChosen();
}

void FileList::setPath(const QString& path)
{
    path_ = path;
    refill();
}

void FileList::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    refill();
}

QString FileList::fileName() const
{
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void FileList::refill()
{
    const QSignalBlocker blocker(this);
    clear();
    if (!path_.isEmpty())
        addItems(matchingFiles(path_, pattern_));
}

}  // namespace lumarel
