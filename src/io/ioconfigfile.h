#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

#include <optional>

// The I/O configuration file ("ioc"): one line per logic word as the drive
// listed it with @78 ("R3H :0000:0001:FF0F"), each followed by ":" and CR LF.
// On download a line's ":"-fields are used as: 1 the line head (ignored),
// 2 the side ("0000" inputs, anything else outputs), 3 the word index and
// 4 the logic word, both four hexadecimal digits and sent as they stand.
class IoConfigFile
{
public:
    struct Word
    {
        bool input = true;
        QByteArray index; // four hexadecimal digits, as in the file
        QByteArray word;  // four hexadecimal digits, as in the file
    };

    // The file of an upload: the drive's lines as received, each + ":" CR LF.
    static QByteArray compose(const QByteArrayList &driveLines);

    // The lines of a file, without their line ends. Empty when it cannot be
    // read.
    static std::optional<QByteArrayList> read(const QString &path);

    // The word of one file line, or nothing when the line has fewer than
    // four fields or its index or word is not four hexadecimal digits.
    static std::optional<Word> parseLine(const QByteArray &line);
    // Every word of a file in order; empty lines are skipped. On a bad line,
    // nothing and *badLine = its index in `lines`.
    static std::optional<QList<Word>> parse(const QByteArrayList &lines, qsizetype *badLine);

    // The command that stores a word: "LIS:index:word" or "LOS:index:word".
    static QByteArray command(const Word &word);
};
