#include "parametermanagerdialog.h"

#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/linkhold.h"
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
    : QDialog(parent)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_transfer(link, *m_dialogPrompt)
    , m_linkHold(link, m_transfer)
    , m_lamp(makeActivityLamp(this))
    , m_viewer(new ParameterViewDialog(this))
    , m_machine(new MachineParameterDialog(link, this))
{

    auto *operations = new QVBoxLayout;
    for (int id : {machineParameterButton, uploadButton, downloadButton, viewButton, resetButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(m_lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_buttons.value(machineParameterButton), &QPushButton::clicked, this,
            &ParameterManagerDialog::editMachineParameters);
    connect(m_buttons.value(uploadButton), &QPushButton::clicked, this,
            &ParameterManagerDialog::upload);
    connect(m_buttons.value(downloadButton), &QPushButton::clicked, this,
            &ParameterManagerDialog::download);
    connect(m_buttons.value(viewButton), &QPushButton::clicked, this,
            &ParameterManagerDialog::viewFile);
    connect(m_buttons.value(resetButton), &QPushButton::clicked, this,
            &ParameterManagerDialog::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_transfer, &ParameterTransfer::busyChanged, this, &ParameterManagerDialog::setBusy);
    followActivity(m_lamp, &m_transfer);
    connect(&m_transfer, &ParameterTransfer::closeRequested, this, &QDialog::accept);

    DialogTexts::apply(this, 119);
    // The dialog is fixed to its buttons, which are narrower than its title.
    const int missing = DialogTexts::titleWidth(this) - layout->totalSizeHint().width();
    if (missing > 0)
        layout->setColumnMinimumWidth(0, operations->sizeHint().width() + missing);
}

QPushButton *ParameterManagerDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void ParameterManagerDialog::setPrompt(UserPrompt *prompt)
{
    m_transfer.setPrompt(prompt ? *prompt : *m_dialogPrompt);
    m_machine->setPrompt(prompt);
}

void ParameterManagerDialog::showEvent(QShowEvent *event)
{
    // Each opening starts with every button ready and the link taken.
    if (!m_linkHold.isHeld()) {
        m_linkHold.take();
        setBusy(false);
        setLampIdle(m_lamp);
    }
    QDialog::showEvent(event);
}

void ParameterManagerDialog::done(int result)
{
    m_linkHold.release();
    QDialog::done(result);
}

void ParameterManagerDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void ParameterManagerDialog::setBusy(bool busy)
{
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setEnabled(!busy);
    if (!busy)
        m_buttons.value(exitButton)->setFocus();
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
    m_buttons.value(exitButton)->setFocus();
}

void ParameterManagerDialog::editMachineParameters()
{
    m_machine->exec();
    m_buttons.value(exitButton)->setFocus();
}
