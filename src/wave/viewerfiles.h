#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <utility>

class UserPrompt;

// The viewer's files: graph files ("gdt", the record with its conditions),
// condition files ("cnd"), the default conditions "data/oscscope.cnd", and
// the record exported as CSV and the plot as PNG. Files are chosen and
// messages shown through UserPrompt; every file is written whole through
// SafeFileWriter, and a file that does not read leaves the shown record and
// the conditions exactly as they were.
class ViewerFiles
{
public:
    explicit ViewerFiles(UserPrompt &prompt)
        : m_prompt(&prompt)
    {}

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    // Each Open returns true when a file was read and is now shown.
    bool openGraph();
    bool openConditions();
    void saveGraph();
    void saveConditions();
    void exportCsv();
    // png gives the plot's PNG bytes (empty when it cannot be drawn).
    void exportPng(const std::function<QByteArray()> &png);

    // The graph file last opened ("" when none).
    QString currentFile() const { return m_currentFile; }
    // The graph file the last Open read, once ("" after a condition file).
    QString takeShownGraph() { return std::exchange(m_shownGraph, QString()); }

    // The default conditions, read when the viewer opens and written when it
    // is destroyed; both report their failures themselves.
    static QString defaultConditionsPath(const QString &baseDir);
    static bool readDefaultConditions(const QString &baseDir, UserPrompt &prompt);
    static bool writeDefaultConditions(const QString &baseDir, UserPrompt &prompt);

    // The window title after a graph file was shown: the file's name is
    // appended to the title, after the name of a file shown before is cut
    // off (the title then ends in "gdt"; "[Off line]" and the caption stay).
    static QString titleWithFile(const QString &title, const QString &caption, const QString &path);

private:
    QString choose(bool save, int filterName, const QString &pattern, const QString &suffix,
                   const QString &initialName);
    bool write(const QString &path, const QByteArray &bytes);

    UserPrompt *m_prompt;
    QString m_currentFile;
    QString m_shownGraph;
};
