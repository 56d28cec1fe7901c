#include "platform/widgets/file_list.h"

#include <QKeyEvent>
#include <QScrollBar>

#include "platform/file_listing.h"
#include "model/visible_name.h"

namespace lumarel {

namespace {
constexpr int kNameRole = Qt::UserRole + 1;  // the name on disk, where it differs from the text
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
    return item && item->isSelected() ? nameOf(item) : QString();
}

void FileList::refresh()
{
    const QString selected = fileName();
    const int scrolled = verticalScrollBar()->value();
    refill();
    const QSignalBlocker blocker(this);
    for (int i = 0; i < count() && !selected.isEmpty(); ++i) {
        if (nameOf(item(i)) == selected) {
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
    // One insertion for the whole list; only the rare entry shown otherwise than it is named on
    // disk keeps its name apart.
    const QStringList names = matchingFiles(path_, pattern_);
    QStringList shown;
    shown.reserve(names.size());
    for (const QString& name : names)
        shown << visibleName(name);
    addItems(shown);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (shown[i] != names[i])
            item(int(i))->setData(kNameRole, names[i]);
    }
}

QString FileList::nameOf(const QListWidgetItem* item)
{
    const QVariant name = item->data(kNameRole);
    return name.isValid() ? name.toString() : item->text();
}

}  // namespace lumarel
