#include "platform/Mail.h"

#include <QDesktopServices>

namespace {
class DesktopMail final : public IMail {
public:
    bool SendMail(const QString& address, const QString& subject) override
    {
        const QUrl url = MailtoUrl(address, subject);
        return url.isValid() && QDesktopServices::openUrl(url);
    }
};

IMail* current = nullptr;
} // namespace

IMail& Mail()
{
    static DesktopMail mail;
    return current ? *current : mail;
}

void SetMail(IMail* mail) { current = mail; }

QUrl MailtoUrl(const QString& address, const QString& subject)
{
    QString to = address.trimmed();
    if (to.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        to.remove(0, 7);
    if (to.isEmpty())
        return {};
    // "@" is the only character of an address that keeps its meaning in the
    // URL; "?", "&", "," and "%" are encoded and stay part of the address.
    QByteArray encoded = "mailto:" + QUrl::toPercentEncoding(to, "@");
    if (!subject.isEmpty())
        encoded += "?subject=" + QUrl::toPercentEncoding(subject);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}
