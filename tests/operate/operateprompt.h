#pragma once

#include "params/scriptedprompt.h"

// The scripted prompt, recording the captions of captioned messages too.
class OperatePrompt : public ScriptedPrompt
{
public:
    QStringList captions;

    void captionedMessage(const QString &caption, const QString &text) override
    {
        captions.append(caption);
        message(text);
    }
};
