#pragma once

#include "app/dialogprompt.h"

// The prompt the program windows hand to their exchanges: message boxes and
// the data-file dialog, unless another prompt stands in (the tests script
// one). The exchanges keep a reference to this object, so the stand-in can
// change at any time.
class ProgramDialogPrompt : public UserPrompt
{
public:
    explicit ProgramDialogPrompt(QWidget *parent)
        : m_dialogs(parent)
    {}

    // nullptr gives the message boxes back.
    void setStandIn(UserPrompt *prompt) { m_standIn = prompt; }
    UserPrompt &current() { return m_standIn ? *m_standIn : m_dialogs; }

    void message(const QString &text) override { current().message(text); }
    bool askOkCancel(const QString &text) override { return current().askOkCancel(text); }
    bool askYesNo(const QString &text) override { return current().askYesNo(text); }
    QString chooseFile(const FileRequest &request) override
    {
        return current().chooseFile(request);
    }

private:
    DialogPrompt m_dialogs;
    UserPrompt *m_standIn = nullptr;
};
