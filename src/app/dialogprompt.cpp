#include "dialogprompt.h"

#include "datafiledialog.h"
#include "resources/catalogue.h"

#include <QMessageBox>

QString DialogPrompt::title() const
{
    if (m_parent && !m_parent->windowTitle().isEmpty())
        return m_parent->windowTitle();
    return Catalogue::instance().string(267);
}

void DialogPrompt::message(const QString &text)
{
    QMessageBox::information(m_parent, title(), text);
}

void DialogPrompt::captionedMessage(const QString &caption, const QString &text)
{
    QMessageBox::information(m_parent, caption, text);
}

bool DialogPrompt::askOkCancel(const QString &text)
{
    return QMessageBox::question(m_parent, title(), text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

bool DialogPrompt::askYesNo(const QString &text)
{
    return QMessageBox::question(m_parent, title(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

QString DialogPrompt::chooseFile(const FileRequest &request)
{
    DataFileDialog dialog(request, m_parent);
    return dialog.run();
}
