#pragma once
// A small properties window of a file or folder: path, kind, size, last
// change and permissions, read once when it is made.
#include <QDialog>
#include <QFileDevice>
#include <QString>

class QLabel;

class TFilePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFilePropertiesDialog(const QString& path, QWidget* parent = nullptr);

    // "rwxr-x---" for the owner, group and others.
    static QString PermissionText(QFileDevice::Permissions permissions);
    // "1,234 bytes (1.21 KiB)"; plain bytes under 1024.
    static QString SizeText(qint64 bytes);

    QLabel* lbPath = nullptr;
    QLabel* lbKind = nullptr;
    QLabel* lbSize = nullptr;
    QLabel* lbModified = nullptr;
    QLabel* lbPermissions = nullptr;
};
