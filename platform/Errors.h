#pragma once
// The one exception type of the program: raised where an operation is meant to
// fail with a message (a list index out of range, a damaged stream, ...).
#include <QString>
#include <stdexcept>

class EQuorbelError : public std::runtime_error {
public:
    explicit EQuorbelError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message) {}
    const QString& Message() const { return text; }

private:
    QString text;
};
