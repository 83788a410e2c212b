#pragma once
// Hands a new mail to the desktop's mail program: a mailto: URL with the
// recipient and the subject, opened through the desktop. The program only
// learns whether the hand-over succeeded.
#include <QString>
#include <QUrl>

class IMail {
public:
    virtual ~IMail() = default;
    // False when there is no mail program or it could not be started.
    virtual bool SendMail(const QString& address, const QString& subject) = 0;
};

IMail& Mail();
void SetMail(IMail* mail); // nullptr restores the desktop's mail program

// "mailto:" + address, percent-encoded so that nothing in it can add
// recipients or header fields, then "?subject=" + the encoded subject when
// there is one. An address given as "mailto:..." loses that prefix first.
QUrl MailtoUrl(const QString& address, const QString& subject);
