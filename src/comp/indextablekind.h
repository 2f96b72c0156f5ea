#pragma once

#include <QByteArray>
#include <QString>

// What tells the two kinds of index table apart: index compensation tables
// (type A, used by index type A moves) and unequal division tables (type B).
// Everything else about them is the same, so one exchange, one menu and one
// editor serve both with one of these.
struct IndexTableKind
{
    // Commands: register "@66:t:n" and close "@67", read "@68:t", list "@65".
    int beginFunction;
    int endFunction;
    int readFunction;
    int listFunction;
    QByteArray entryPrefix; // "TC1:"
    QByteArray readCode;    // the reply code of a read entry, "R1H"
    QString extension;      // "idx"
    QString batchExtension; // "whi"

    // Texts by string number.
    int rangeText;        // "Compensation table number are %d to %d."
    int emptyTableText;   // "Compensate table %s is divede 0."
    int fileFilterText;   // "Index compensation file"
    int batchFilterText;  // "Batch index compensation file"
    int notBatchText;     // "Can not open file.  Not a butch index compensation file."
    int notTableText;     // "Can not open file.  File is not index compensation file."
    int missingFilesText; // "Can not download.  There is not index compensation file."
    int noneStoredText;   // "Index compensation file does not exist."
    int selectCaption;    // "Index TypeA  file Select"
    int menuDialog;       // 233
    int editorDialog;     // 237

    static const IndexTableKind &typeA();
    static const IndexTableKind &typeB();

    // "A" for table 0, "B" for table 1.
    static QString tableName(int table)
    {
        return table == 0 ? QStringLiteral("A") : QStringLiteral("B");
    }
};
