#include "parametermanagerdialog.h"

#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "link/drivelink.h"
#include "machineparameterdialog.h"
#include "parameterviewdialog.h"

#include <QGridLayout>

namespace {
constexpr int machineParameterButton = 1010;
constexpr int uploadButton = 1005;
constexpr int downloadButton = 1004;
constexpr int viewButton = 1068;
constexpr int resetButton = 1061;
} // namespace

ParameterManagerDialog::ParameterManagerDialog(DriveLink &link, QWidget *parent)
    : FeatureMenuDialog(parent)
    , m_transfer(link, prompt())
    , m_linkHold(link, m_transfer)
    , m_viewer(new ParameterViewDialog(this))
    , m_machine(new MachineParameterDialog(link, this))
{
    QGridLayout *layout = layOutMenu(
        {{machineParameterButton,
          std::bind_front(&ParameterManagerDialog::editMachineParameters, this)},
         {uploadButton, std::bind_front(&ParameterManagerDialog::upload, this)},
         {downloadButton, std::bind_front(&ParameterManagerDialog::download, this)},
         {viewButton, std::bind_front(&ParameterManagerDialog::viewFile, this)},
         {resetButton, std::bind_front(&ParameterTransfer::resetCommunication, &m_transfer)}});
    follow(m_transfer);
    setLinkHold(&m_linkHold);
    connect(&m_transfer, &ParameterTransfer::closeRequested, this, &QDialog::accept);

    DialogTexts::apply(this, 119);
    // The dialog is fixed to its buttons, which are narrower than its title.
    const int missing = DialogTexts::titleWidth(this) - layout->totalSizeHint().width();
    if (missing > 0)
        layout->setColumnMinimumWidth(0,
                                      layout->itemAtPosition(0, 0)->sizeHint().width() + missing);
}

void ParameterManagerDialog::promptChanged(UserPrompt *given)
{
    m_transfer.setPrompt(prompt());
    m_machine->setPrompt(given);
}

void ParameterManagerDialog::applySettings()
{
    const AppSettings &settings = AppSettings::instance();
    m_transfer.setEnglish(settings.english());
    m_transfer.setSiblingVariant(settings.siblingVariant());
}

void ParameterManagerDialog::upload()
{
    applySettings();
    m_transfer.upload();
}

void ParameterManagerDialog::download()
{
    applySettings();
    m_transfer.download();
}

void ParameterManagerDialog::viewFile()
{
    if (!m_transfer.loadFileForView())
        return;
    m_viewer->setFile(m_transfer.lines(), m_transfer.filePath());
    m_viewer->exec();
    focusExit();
}

void ParameterManagerDialog::editMachineParameters()
{
    m_machine->exec();
    focusExit();
}
