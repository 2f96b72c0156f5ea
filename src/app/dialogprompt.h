#pragma once

#include "userprompt.h"

#include <QPointer>
#include <QWidget>

// UserPrompt answered with message boxes and the data-file dialog.
class DialogPrompt : public UserPrompt
{
public:
    explicit DialogPrompt(QWidget *parent)
        : m_parent(parent)
    {}

    void message(const QString &text) override;
    void captionedMessage(const QString &caption, const QString &text) override;
    bool askOkCancel(const QString &text) override;
    bool askYesNo(const QString &text) override;
    QString chooseFile(const FileRequest &request) override;

private:
    QString title() const;
    QPointer<QWidget> m_parent;
};
