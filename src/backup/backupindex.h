#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

// The index file of a backup set: one line per saved file, "%2d:%2d:%s"
// (section code, item number, file name), the part after the code and its
// colon laid out as a batch file line. The all-data set ("wha") lists the
// user-data sections, the motor-data set ("whm") its two scripts.
//
// Reading takes every line whole, however long, and checks the whole file
// before anything is done with it: a line without ":" after its first
// character is skipped; a line whose code or item number is not a number,
// or whose name could lead out of the index file's folder, stops the reading
// with the line's number.
class BackupIndex
{
public:
    // Section codes.
    enum Code {
        MotorMain = 2,
        MotorAdjust = 3,
        Parameters = 4,
        IoConfig = 5,
        Accuracy = 6,
        Programs = 7,
        IndexTables = 8,
        DivisionTables = 9,
        CamProfiles = 10,
    };
    struct Entry
    {
        int code = 0;
        int item = 0;
        QString name; // as written, trailing blanks removed
        int line = 0; // 1-based; 0 for an entry not read from a file
        bool operator==(const Entry &other) const
        {
            return code == other.code && item == other.item && name == other.name;
        }
    };
    enum class Fault { None, CannotOpen, Malformed, UnsafeName };
    struct Result
    {
        QList<Entry> entries;
        Fault fault = Fault::None;
        int line = 0;
        QString name; // the refused name (UnsafeName)
    };

    static Result read(const QString &path);
    static QByteArray compose(const QList<Entry> &entries);
    static QByteArray line(const Entry &entry);

    // A set is staged in a hidden folder beside its files and committed by
    // moving each staged file over its target (replacing an earlier file in
    // one step), in the order given: the index last.
    static std::unique_ptr<QTemporaryDir> makeStaging(const QString &folder,
                                                      const QString &baseName);
    static bool commitStaged(const QString &staging, const QString &folder,
                             const QStringList &names, QString *failedPath, QString *reason);
};
