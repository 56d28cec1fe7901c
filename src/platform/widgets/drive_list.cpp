#include "platform/widgets/drive_list.h"

#include <QSignalBlocker>

#include "platform/file_listing.h"

namespace lumarel {

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    addItems(availableDrives());
    connect(this, &QComboBox::activated, this, [this](int) { emit driveChanged(drive()); });
}

QString DriveList::drive() const { return currentText(); }

void DriveList::setDriveSilently(const QString& drive)
{
    const QSignalBlocker blocker(this);
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveList::setDrive(const QString& drive)
{
    setDriveSilently(drive);
    emit driveChanged(drive);
}

}  // namespace lumarel
