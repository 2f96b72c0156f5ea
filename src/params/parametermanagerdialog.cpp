#include "parametermanagerdialog.h"

#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "link/drivelink.h"
#include "machineparameterdialog.h"
#include "parameterviewdialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int machineParameterButton = 1010;
constexpr int uploadButton = 1005;
constexpr int downloadButton = 1004;
constexpr int viewButton = 1068;
constexpr int resetButton = 1061;
constexpr int exitButton = 1;
} // namespace

ParameterManagerDialog::ParameterManagerDialog(DriveLink &link, QWidget *parent)
    : FeatureMenuDialog(parent)
    , m_transfer(link, prompt())
    , m_linkHold(link, m_transfer)
    , m_viewer(new ParameterViewDialog(this))
    , m_machine(new MachineParameterDialog(link, this))
{
    QLabel *lamp = addLamp();

    auto *operations = new QVBoxLayout;
    for (int id : {machineParameterButton, uploadButton, downloadButton, viewButton, resetButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button(machineParameterButton), &QPushButton::clicked, this,
            &ParameterManagerDialog::editMachineParameters);
    connect(button(uploadButton), &QPushButton::clicked, this, &ParameterManagerDialog::upload);
    connect(button(downloadButton), &QPushButton::clicked, this, &ParameterManagerDialog::download);
    connect(button(viewButton), &QPushButton::clicked, this, &ParameterManagerDialog::viewFile);
    connect(button(resetButton), &QPushButton::clicked, this,
            &ParameterManagerDialog::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    follow(m_transfer);
    setLinkHold(&m_linkHold);
    connect(&m_transfer, &ParameterTransfer::closeRequested, this, &QDialog::accept);

    DialogTexts::apply(this, 119);
    // The dialog is fixed to its buttons, which are narrower than its title.
    const int missing = DialogTexts::titleWidth(this) - layout->totalSizeHint().width();
    if (missing > 0)
        layout->setColumnMinimumWidth(0, operations->sizeHint().width() + missing);
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

void ParameterManagerDialog::resetCommunication()
{
    m_transfer.resetCommunication();
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
