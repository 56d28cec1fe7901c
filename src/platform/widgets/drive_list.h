#pragma once
// A drive list: one entry per mounted file system, root first.

#include <QComboBox>

namespace lumarel {

class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    QString drive() const;
    // Selects the drive without telling anyone (used to go back after a failed change).
    void setDriveSilently(const QString& drive);
    // Selects the drive as a user would: driveChanged follows.
    void setDrive(const QString& drive);

signals:
    void driveChanged(const QString& drive);
};

}  // namespace lumarel
