#include "app/InstanceMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

namespace {
constexpr int kLengthBytes = 4;
}

QByteArray EncodeInstanceMessage(const TInstanceMessage& message)
{
    QJsonObject object;
    object.insert(QStringLiteral("command"), message.Command);
    object.insert(QStringLiteral("arguments"), QJsonArray::fromStringList(message.Arguments));
    const QByteArray body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QByteArray frame(kLengthBytes, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(body.size()), frame.data());
    return frame + body;
}

TFrameRead TakeInstanceMessage(QByteArray& buffer, TInstanceMessage& message)
{
    if (buffer.size() < kLengthBytes)
        return TFrameRead::Incomplete;
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > kMaxInstanceFrame)
        return TFrameRead::Bad;
    if (static_cast<quint64>(buffer.size()) < kLengthBytes + static_cast<quint64>(length))
        return TFrameRead::Incomplete;

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(buffer.mid(kLengthBytes, length), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return TFrameRead::Bad;
    const QJsonObject object = document.object();
    const QJsonValue command = object.value(QStringLiteral("command"));
    const QJsonValue arguments = object.value(QStringLiteral("arguments"));
    if (!command.isString() || !arguments.isArray())
        return TFrameRead::Bad;
    TInstanceMessage read{command.toString(), {}};
    for (const QJsonValue& argument : arguments.toArray()) {
        if (!argument.isString())
            return TFrameRead::Bad;
        read.Arguments.append(argument.toString());
    }
    buffer.remove(0, kLengthBytes + static_cast<qsizetype>(length));
    message = std::move(read);
    return TFrameRead::Complete;
}
