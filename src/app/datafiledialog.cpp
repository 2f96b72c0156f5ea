#include "datafiledialog.h"

#include "appsettings.h"

#include <QDir>

DataFileDialog::DataFileDialog(const UserPrompt::FileRequest &request, QWidget *parent)
    : QFileDialog(parent)
{
    setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.title.isEmpty())
        setWindowTitle(request.title);
    if (!request.filter.isEmpty())
        setNameFilter(request.filter);
    setDefaultSuffix(request.defaultSuffix);
    setOption(QFileDialog::ReadOnly, false);
    // The overwrite question comes from the dialog itself on save.
    const QString dataDir = AppSettings::instance().dataDir();
    if (!dataDir.isEmpty() && QDir(dataDir).exists())
        setDirectory(dataDir);
    if (!request.initialName.isEmpty())
        selectFile(request.initialName);
}

QString DataFileDialog::run()
{
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty())
        return {};
    const QString path = selectedFiles().constFirst();
    AppSettings::instance().rememberChosenFile(path);
    return path;
}
