#include "platform/file_list.h"

#include <QKeyEvent>
#include <QScrollBar>

#include "platform/file_listing.h"
#include "platform/visible_name.h"

namespace lumarel {

namespace {
constexpr int kNameRole = Qt::UserRole + 1;  // the name as it is on disk
}

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
    return item && item->isSelected() ? item->data(kNameRole).toString() : QString();
}

void FileList::refresh()
{
    const QString selected = fileName();
    const int scrolled = verticalScrollBar()->value();
    refill();
    const QSignalBlocker blocker(this);
    for (int i = 0; i < count() && !selected.isEmpty(); ++i) {
        if (item(i)->data(kNameRole).toString() == selected) {
            setCurrentRow(i);
            break;
        }
    }
    verticalScrollBar()->setValue(scrolled);
}

void FileList::refill()
{
    const QSignalBlocker blocker(this);
    clear();
    if (path_.isEmpty())
        return;
    for (const QString& name : matchingFiles(path_, pattern_)) {
        auto* item = new QListWidgetItem(visibleName(name), this);
        item->setData(kNameRole, name);
    }
}

}  // namespace lumarel
