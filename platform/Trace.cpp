#include "platform/Trace.h"

Q_LOGGING_CATEGORY(lcQuorbelTrace, "quorbel.trace", QtWarningMsg)

void WriteTraceLine(const QString& line)
{
    qCDebug(lcQuorbelTrace).noquote() << line;
}
