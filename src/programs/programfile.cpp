#include "programfile.h"

#include "app/safefilewriter.h"

#include <QFile>

namespace ProgramFile {

namespace {

bool isOptionLine(const QByteArray &line)
{
    return line.startsWith("Option");
}

QByteArray trimmedBlanks(const QByteArray &line, bool leading)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1) == ' ')
        --end;
    if (leading) {
        while (begin < end && line.at(begin) == ' ')
            ++begin;
    }
    return line.mid(begin, end - begin);
}

std::optional<Content> readContent(const QString &path, bool leading, ReadFailure *failure)
{
    std::optional<QByteArrayList> lines = readLines(path, failure);
    if (!lines)
        return std::nullopt;
    Content content;
    for (qsizetype i = 0; i < lines->size(); ++i) {
        const QByteArray line = trimmedBlanks(lines->at(i), leading);
        if (isOptionLine(line)) {
            content.option = line.mid(7);
            content.hasOption = true;
            content.optionLine = int(i) + 1;
            continue;
        }
        content.lines.append(line);
        content.fileLines.append(int(i) + 1);
        content.blockCount += ProgramText::blocksOf(line);
    }
    return content;
}

} // namespace

bool isProgramFile(const QString &path)
{
    return path.endsWith(QLatin1String("prg"));
}

std::optional<QByteArrayList> readLines(const QString &path, ReadFailure *failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (failure)
            *failure = ReadFailure::CannotOpen;
        return std::nullopt;
    }
    if (file.size() > MaxFileBytes) {
        if (failure)
            *failure = ReadFailure::TooLarge;
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes) {
        if (failure)
            *failure = ReadFailure::TooLarge;
        return std::nullopt;
    }
    QByteArrayList lines = bytes.split('\n');
    // The line end after the last line is no line of its own.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (failure)
        *failure = ReadFailure::None;
    return lines;
}

std::optional<Content> readForDownload(const QString &path, ReadFailure *failure)
{
    return readContent(path, true, failure);
}

std::optional<Content> readForEditor(const QString &path, ReadFailure *failure)
{
    return readContent(path, false, failure);
}

std::optional<Fault> firstFault(const Content &content)
{
    if (!ProgramText::isOptionText(content.option))
        return Fault{content.optionLine, ProgramText::LineFault::None, true};
    for (qsizetype i = 0; i < content.lines.size(); ++i) {
        const ProgramText::LineFault fault = ProgramText::check(content.lines.at(i));
        if (fault != ProgramText::LineFault::None)
            return Fault{content.fileLines.value(i, int(i) + 1), fault, false};
    }
    return std::nullopt;
}

QByteArray compose(const QByteArray &option, const QByteArrayList &lines)
{
    QByteArray bytes = "Option=" + option + "\r\n";
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

SaveFailure save(const QString &path, const QByteArray &option, const QByteArrayList &lines,
                 int *badLine)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).size() > ProgramText::MaxLineLength) {
            if (badLine)
                *badLine = int(i);
            return SaveFailure::LineTooLong;
        }
    }
    return SafeFileWriter::writeWhole(path, compose(option, lines)) ? SaveFailure::None
                                                                    : SaveFailure::WriteFailed;
}

} // namespace ProgramFile
