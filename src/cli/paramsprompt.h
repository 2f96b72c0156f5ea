#pragma once

#include "app/userprompt.h"

#include <QStringList>

// UserPrompt for torvane-cli: the file comes from the command line, a
// question is printed on stderr and answered by --yes (OK/Yes) or its
// absence (Cancel/No), and messages are kept for the verb, which prints them
// on stdout when the operation succeeded and on stderr when it did not.
class ParamsPrompt : public UserPrompt
{
public:
    ParamsPrompt(const QString &file, bool yes);

    void message(const QString &text) override;
    bool askOkCancel(const QString &text) override;
    bool askYesNo(const QString &text) override;
    // The file named on the command line; a file to save without a suffix
    // gets the default one, as the file dialog gives it.
    QString chooseFile(const FileRequest &request) override;

    const QStringList &messages() const { return m_messages; }
    // True once a question was answered with Cancel/No.
    bool declined() const { return m_declined; }

private:
    bool answer(const QString &text);

    QString m_file;
    bool m_yes;
    bool m_declined = false;
    QStringList m_messages;
};
