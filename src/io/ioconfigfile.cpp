#include "ioconfigfile.h"

#include "link/drivecommands.h"

#include <QFile>

namespace {

const QByteArray lineEnd = "\r\n";

bool isFourHexDigits(const QByteArray &text)
{
    if (text.size() != 4)
        return false;
    for (char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!digit)
            return false;
    }
    return true;
}

} // namespace

QByteArray IoConfigFile::compose(const QByteArrayList &driveLines)
{
    QByteArray bytes;
    for (const QByteArray &line : driveLines)
        bytes += line + ':' + lineEnd;
    return bytes;
}

std::optional<QByteArrayList> IoConfigFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QByteArrayList lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line end of the last line
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

std::optional<IoConfigFile::Word> IoConfigFile::parseLine(const QByteArray &line)
{
    const QByteArrayList fields = line.split(':');
    if (fields.size() < 4 || !isFourHexDigits(fields.at(2)) || !isFourHexDigits(fields.at(3)))
        return std::nullopt;
    return Word{fields.at(1) == "0000", fields.at(2), fields.at(3)};
}

std::optional<QList<IoConfigFile::Word>> IoConfigFile::parse(const QByteArrayList &lines,
                                                             qsizetype *badLine)
{
    QList<Word> words;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).trimmed().isEmpty())
            continue;
        const std::optional<Word> word = parseLine(lines.at(i));
        if (!word) {
            *badLine = i;
            return std::nullopt;
        }
        words.append(*word);
    }
    return words;
}

QByteArray IoConfigFile::command(const Word &word)
{
    return (word.input ? DriveCommand::inputLogicPrefix(word.index)
                       : DriveCommand::outputLogicPrefix(word.index)) +
           word.word;
}
