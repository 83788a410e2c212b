#pragma once
// A mail program that sends nothing: every hand-over is recorded, with the
// URL the desktop would have been given, and answered with `succeed`.
// Installed for its lifetime.
#include "platform/Mail.h"

#include <QStringList>

class FakeMail final : public IMail {
public:
    FakeMail() { SetMail(this); }
    ~FakeMail() override { SetMail(nullptr); }
    FakeMail(const FakeMail&) = delete;
    FakeMail& operator=(const FakeMail&) = delete;

    bool SendMail(const QString& address, const QString& subject) override
    {
        addresses << address;
        subjects << subject;
        urls << MailtoUrl(address, subject).toString(QUrl::FullyEncoded);
        return succeed;
    }

    bool succeed = true;
    QStringList addresses;
    QStringList subjects;
    QStringList urls;
};
