#pragma once
// The debug trace channel: a logging category, off unless enabled with
// QT_LOGGING_RULES="quorbel.trace=true", written to standard error.
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcQuorbelTrace)

void WriteTraceLine(const QString& line);
