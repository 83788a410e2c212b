#include "widgets/FilePropertiesDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace {
QLabel* NewValue(QWidget* owner, const char* name, const QString& text)
{
    auto* label = new QLabel(text, owner);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString KindText(const QFileInfo& info)
{
    QString kind;
    if (info.isDir())
        kind = QStringLiteral("Folder");
    else {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
        kind = type.comment().isEmpty() ? QStringLiteral("File") : type.comment();
        kind += QStringLiteral(" (") + type.name() + ')';
    }
    if (info.isSymLink())
        kind += QStringLiteral(", link to ") + info.symLinkTarget();
    return kind;
}
} // namespace

TFilePropertiesDialog::TFilePropertiesDialog(const QString& path, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FilePropertiesDialog"));
    const QFileInfo info(path);
    setWindowTitle(QStringLiteral("Properties of ") + (info.fileName().isEmpty() ? path : info.fileName()));

    lbPath = NewValue(this, "lbPath", QDir::toNativeSeparators(info.absoluteFilePath()));
    lbPath->setWordWrap(true);
    lbKind = NewValue(this, "lbKind", KindText(info));
    QString size;
    if (info.isDir()) {
        const qsizetype entries =
            QDir(info.absoluteFilePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size();
        size = QStringLiteral("%1 entries").arg(entries);
    } else
        size = SizeText(info.size());
    lbSize = NewValue(this, "lbSize", size);
    lbModified = NewValue(this, "lbModified",
                          info.lastModified().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    QString permissions = PermissionText(info.permissions());
    if (!info.owner().isEmpty())
        permissions += QStringLiteral("  %1 / %2").arg(info.owner(), info.group());
    lbPermissions = NewValue(this, "lbPermissions", permissions);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Path:"), lbPath);
    form->addRow(QStringLiteral("Kind:"), lbKind);
    form->addRow(QStringLiteral("Size:"), lbSize);
    form->addRow(QStringLiteral("Modified:"), lbModified);
    form->addRow(QStringLiteral("Permissions:"), lbPermissions);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString TFilePropertiesDialog::PermissionText(QFileDevice::Permissions p)
{
    const QFileDevice::Permission bits[9] = {
        QFileDevice::ReadOwner, QFileDevice::WriteOwner, QFileDevice::ExeOwner,
        QFileDevice::ReadGroup, QFileDevice::WriteGroup, QFileDevice::ExeGroup,
        QFileDevice::ReadOther, QFileDevice::WriteOther, QFileDevice::ExeOther};
    static const char letters[] = "rwx";
    QString text;
    for (int i = 0; i < 9; ++i)
        text += p.testFlag(bits[i]) ? QChar::fromLatin1(letters[i % 3]) : QChar('-');
    return text;
}

QString TFilePropertiesDialog::SizeText(qint64 bytes)
{
    const QLocale english(QLocale::English);
    QString text = english.toString(bytes) + (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    if (bytes >= 1024)
        text += QStringLiteral(" (") + english.formattedDataSize(bytes) + ')';
    return text;
}
