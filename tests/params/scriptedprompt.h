#pragma once

#include "app/userprompt.h"

#include <QList>
#include <QStringList>

// Answers an exchange's questions from a script and records what it said.
class ScriptedPrompt : public UserPrompt
{
public:
    QStringList messages;
    QStringList questions;
    QList<bool> answers; // taken in order; OK/Yes when the script runs out
    QStringList files;   // taken in order; cancelled when the script runs out
    QList<FileRequest> requests;

    void message(const QString &text) override { messages.append(text); }
    bool askOkCancel(const QString &text) override { return answer(text); }
    bool askYesNo(const QString &text) override { return answer(text); }
    QString chooseFile(const FileRequest &request) override
    {
        requests.append(request);
        return files.isEmpty() ? QString() : files.takeFirst();
    }

private:
    bool answer(const QString &text)
    {
        questions.append(text);
        return answers.isEmpty() ? true : answers.takeFirst();
    }
};
