#include "platform/widgets/folder_list.h"

#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include "platform/file_listing.h"
#include "model/visible_name.h"

namespace lumarel {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kDepthRole = Qt::UserRole + 2;

// Indents each entry by its depth. The indent is drawn, not written into the text, so the text
// is the folder's name alone and typing its first letters finds it. The highlighted entry is
// always selected, so the style's focus mark would vanish in the highlight: while the list has the
// focus, the entry gets a dotted frame in the highlight's text colour instead.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(indentOf(option, index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
        if (option.state & QStyle::State_HasFocus) {
            painter->save();
            painter->setPen(QPen(option.palette.color(QPalette::HighlightedText), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(indented.rect.adjusted(1, 1, -2, -2));
            painter->restore();
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indentOf(option, index), 0);
    }

private:
    static int indentOf(const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        return index.data(kDepthRole).toInt() * option.fontMetrics.averageCharWidth() * 2;
    }
};

}  // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit enterRequested(); });
}

bool FolderList::setPath(const QString& path, QString* why)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    if (!canEnterFolder(absolute, why))
        return false;
    const bool changed = absolute != path_;
    path_ = absolute;
    fill();
    if (changed)
        emit pathChanged(path_);
    return true;
}

void FolderList::fill()
{
    clear();
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (const FolderEntry& entry : folderEntries(path_)) {
        auto* item = new QListWidgetItem(visibleName(entry.label), this);
        item->setData(kPathRole, entry.path);
        item->setData(kDepthRole, entry.depth);
        item->setIcon(entry.current || entry.depth == 0 ? open : closed);
        if (entry.current)
            setCurrentItem(item);
    }
}

void FolderList::refresh()
{
    if (path_.isEmpty())
        return;
    const QString highlighted = highlightedPath();
    const int scrolled = verticalScrollBar()->value();
    const QString previous = path_;
    path_ = nearestEnterableFolder(path_);
    fill();
    for (int i = 0; i < count(); ++i) {
        if (item(i)->data(kPathRole).toString() == highlighted)
            setCurrentRow(i);
    }
    if (path_ == previous)
        verticalScrollBar()->setValue(scrolled);
    else
        emit pathChanged(path_);
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
