#pragma once
// What two starts of the program on one program folder say to each other: a
// command word and a list of strings, as a JSON object behind its length
// (4 bytes, big-endian).
//
// Rules kept here:
//  - A frame is read only when it is whole; a length over kMaxInstanceFrame,
//    or a body that is not an object with a string "command" and an array of
//    strings "arguments", makes the whole stream bad: the reader drops the
//    connection rather than guess where the next frame starts.
//  - The receiving copy answers every message with kAnswerCommand.
#include <QByteArray>
#include <QString>
#include <QStringList>

struct TInstanceMessage {
    QString Command;
    QStringList Arguments;
    bool operator==(const TInstanceMessage& other) const
    {
        return Command == other.Command && Arguments == other.Arguments;
    }
};

// Shows the organiser; the arguments are the URLs and files of the command line.
inline const QString kShowCommand = QStringLiteral("show");
// The receiver's answer: the message arrived and will be handled.
inline const QString kAnswerCommand = QStringLiteral("ok");

constexpr quint32 kMaxInstanceFrame = 1024 * 1024;

QByteArray EncodeInstanceMessage(const TInstanceMessage& message);

enum class TFrameRead { Incomplete, Complete, Bad };

// Takes the first whole message off the front of buffer. Incomplete leaves
// buffer as it was.
TFrameRead TakeInstanceMessage(QByteArray& buffer, TInstanceMessage& message);
