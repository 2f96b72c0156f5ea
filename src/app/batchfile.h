#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A batch file lists the member files of a batch, one per line as
// "%2d:%s" (number, file name): the number right-aligned in two columns, a
// colon, and the name of a file in the batch file's own folder. Programs,
// cam profiles and compensation tables keep their batches this way.
//
// Reading checks the whole file before anything is done with it: a line
// without ":" (or with ":" first), a number outside the caller's range, or a
// name that could lead out of the folder (a folder separator, "..", an
// absolute path) stops the reading with the line's number.
class BatchFile
{
public:
    struct Entry
    {
        int number = 0;
        QString name; // as written, trailing blanks removed
        QString path; // the name in the batch file's folder
        int line = 0; // 1-based
    };
    enum class Fault {
        None,
        CannotOpen,
        TooLarge,   // more lines than a batch can hold
        Malformed,  // no ":" or ":" first, or no number before it
        BadNumber,  // a number outside the range
        UnsafeName, // a name with a separator, "..", or an absolute one
    };
    struct Result
    {
        QList<Entry> entries;
        Fault fault = Fault::None;
        int line = 0; // the line of the fault
        QString name; // the refused name (UnsafeName)
    };

    // Reads the batch file at `path`; numbers must lie in lowest…highest and
    // the file may hold at most maxEntries lines.
    static Result read(const QString &path, int lowest, int highest, int maxEntries);
    // A name that stays in the batch file's folder: no "/" or "\", not ".."
    // or ".", not absolute, not empty.
    static bool isSafeName(const QString &name);

    // The member file of `number`: base name, the number in two digits, the
    // extension ("prg"); memberPath puts it in folder.
    static QString memberName(const QString &baseName, int number, const QString &extension);
    static QString memberPath(const QString &folder, const QString &baseName, int number,
                              const QString &extension);
    // The line of one member, with CR LF.
    static QByteArray line(int number, const QString &name);
};
