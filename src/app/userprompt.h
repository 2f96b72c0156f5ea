#pragma once

#include <QString>

// What an exchange asks of the user. Message boxes answer it in the program,
// options and stderr in torvane-cli, a script in the tests.
class UserPrompt
{
public:
    virtual ~UserPrompt() = default;

    // A message with an OK button.
    virtual void message(const QString &text) = 0;
    // A message under a caption of its own ("Confirm.") instead of the
    // window's title.
    virtual void captionedMessage(const QString &caption, const QString &text)
    {
        Q_UNUSED(caption);
        message(text);
    }
    // OK/Cancel; true for OK.
    virtual bool askOkCancel(const QString &text) = 0;
    // Yes/No; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;

    struct FileRequest
    {
        bool save = false;
        QString filter;        // "Parameter file (*.prm)"
        QString defaultSuffix; // "prm"
        QString initialName;
        QString title;
    };
    // The chosen path, or empty when the user cancelled.
    virtual QString chooseFile(const FileRequest &request) = 0;
};
