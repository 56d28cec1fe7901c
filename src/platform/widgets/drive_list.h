#pragma once
// A drive list: one entry per mounted file system, root first. It follows the mount table: a
// file system mounted or unmounted later appears or goes, and drivesChanged() says so.

#include <QComboBox>

namespace lumarel {

class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    QString drive() const;
    QStringList drives() const;
    // Selects the drive without telling anyone (used to go back after a failed change).
    void setDriveSilently(const QString& drive);
    // Selects the drive as a user would: driveChanged follows.
    void setDrive(const QString& drive);
    // Shows these drives instead, keeping the chosen one when it is still there, and says so with
    // drivesChanged(); the owner then chooses the drive its folder list is on.
    void setDrives(const QStringList& drives);

signals:
    void driveChanged(const QString& drive);
    void drivesChanged();
};

}  // namespace lumarel
