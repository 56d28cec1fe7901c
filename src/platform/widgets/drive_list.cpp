#include "platform/widgets/drive_list.h"

#include <QSignalBlocker>

#include "platform/file_listing.h"
#include "platform/mount_watcher.h"
#include "model/visible_name.h"

namespace lumarel {

namespace {
constexpr int kDriveRole = Qt::UserRole;  // the drive's path; the text shows it visibly
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    for (const QString& drive : availableDrives())
        addItem(visibleName(drive), drive);
    connect(this, &QComboBox::activated, this, [this](int) { emit driveChanged(drive()); });
    auto* mounts = new MountWatcher(this);
    connect(mounts, &MountWatcher::changed, this, [this] { setDrives(availableDrives()); });
}

QString DriveList::drive() const { return currentData(kDriveRole).toString(); }

QStringList DriveList::drives() const
{
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all << itemData(i, kDriveRole).toString();
    return all;
}

void DriveList::setDriveSilently(const QString& drive)
{
    const QSignalBlocker blocker(this);
    int index = findData(drive, kDriveRole, Qt::MatchExactly);
    if (index < 0) {
        addItem(visibleName(drive), drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveList::setDrive(const QString& drive)
{
    setDriveSilently(drive);
    emit driveChanged(drive);
}

void DriveList::setDrives(const QStringList& drives)
{
    const QString chosen = drive();
    {
        const QSignalBlocker blocker(this);
        clear();
        for (const QString& d : drives)
            addItem(visibleName(d), d);
        const int index = findData(chosen, kDriveRole, Qt::MatchExactly);
        setCurrentIndex(index >= 0 ? index : 0);
    }
    emit drivesChanged();
}

}  // namespace lumarel
