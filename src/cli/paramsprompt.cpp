#include "paramsprompt.h"

#include "clisession.h"

#include <QFileInfo>

ParamsPrompt::ParamsPrompt(const QString &file, bool yes)
    : m_file(file)
    , m_yes(yes)
{}

void ParamsPrompt::message(const QString &text)
{
    m_messages.append(text);
}

bool ParamsPrompt::answer(const QString &text)
{
    CliSession::printError(text);
    if (!m_yes)
        m_declined = true;
    return m_yes;
}

bool ParamsPrompt::askOkCancel(const QString &text)
{
    return answer(text);
}

bool ParamsPrompt::askYesNo(const QString &text)
{
    return answer(text);
}

QString ParamsPrompt::chooseFile(const FileRequest &request)
{
    if (request.save && !request.defaultSuffix.isEmpty() && !m_file.isEmpty() &&
        QFileInfo(m_file).suffix().isEmpty())
        return m_file + QLatin1Char('.') + request.defaultSuffix;
    return m_file;
}
