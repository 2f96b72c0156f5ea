#include "programmanagerdialog.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "programeditdialog.h"
#include "programmonitorwindow.h"
#include "programpropertydialog.h"
#include "programtext.h"
#include "selecttypedialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int editButton = 1006;
constexpr int monitorButton = 1007;
constexpr int resetButton = 1061;
constexpr int exitButton = 1;
} // namespace

ProgramManagerDialog::ProgramManagerDialog(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_prompt(this)
    , m_transfer(link, m_prompt)
    , m_linkHold(link, m_transfer)
    , m_lamp(makeActivityLamp(this))
    , m_progress(new QProgressBar(this))
    , m_select(new SelectTypeDialog(this))
    , m_property(new ProgramPropertyDialog(this))
    , m_editor(new ProgramEditDialog(link, this))
    , m_monitor(new ProgramMonitorWindow(link, this))
{
    m_progress->setTextVisible(true);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->hide();

    auto *operations = new QVBoxLayout;
    for (int id : {downloadButton, uploadButton, editButton, monitorButton, resetButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(m_lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->addWidget(m_progress, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_buttons.value(downloadButton), &QPushButton::clicked, this,
            &ProgramManagerDialog::download);
    connect(m_buttons.value(uploadButton), &QPushButton::clicked, this,
            &ProgramManagerDialog::upload);
    connect(m_buttons.value(editButton), &QPushButton::clicked, this, &ProgramManagerDialog::edit);
    connect(m_buttons.value(monitorButton), &QPushButton::clicked, this,
            &ProgramManagerDialog::openMonitor);
    connect(m_buttons.value(resetButton), &QPushButton::clicked, this,
            &ProgramManagerDialog::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_transfer, &ProgramTransfer::busyChanged, this, &ProgramManagerDialog::setBusy);
    followActivity(m_lamp, &m_transfer);
    connect(&m_transfer, &ProgramTransfer::progress, this, &ProgramManagerDialog::showProgress);

    DialogTexts::apply(this, 215);
}

ProgramManagerDialog::~ProgramManagerDialog() = default;

QPushButton *ProgramManagerDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void ProgramManagerDialog::setPrompt(UserPrompt *prompt)
{
    m_prompt.setStandIn(prompt);
    m_property->setPrompt(prompt);
    m_editor->setPrompt(prompt);
    m_monitor->setPrompt(prompt);
}

void ProgramManagerDialog::showEvent(QShowEvent *event)
{
    // Each opening starts with every button ready and the link taken.
    if (!m_linkHold.isHeld()) {
        m_linkHold.take();
        setBusy(false);
        setLampIdle(m_lamp);
    }
    QDialog::showEvent(event);
}

void ProgramManagerDialog::done(int result)
{
    m_linkHold.release();
    QDialog::done(result);
}

void ProgramManagerDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void ProgramManagerDialog::setBusy(bool busy)
{
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setEnabled(!busy);
    if (!busy) {
        m_progress->hide();
        m_buttons.value(exitButton)->setFocus();
    }
}

void ProgramManagerDialog::showProgress(int done, int total)
{
    m_progress->setRange(0, qMax(1, total));
    m_progress->setValue(done);
    m_progress->show();
}

bool ProgramManagerDialog::chooseTransfer(bool reading, bool *batch, int *number)
{
    m_select->setBatch(false);
    if (m_select->exec() != QDialog::Accepted)
        return false;
    *batch = m_select->batch();
    if (*batch)
        return true;
    m_property->setMode(ProgramPropertyDialog::NumberOnly,
                        reading ? ProgramText::HighestReadable : ProgramText::HighestRegistered);
    if (m_property->exec() != QDialog::Accepted)
        return false;
    *number = m_property->number();
    return true;
}

void ProgramManagerDialog::download()
{
    bool batch = false;
    int number = 0;
    if (!chooseTransfer(false, &batch, &number))
        return;
    if (batch)
        m_transfer.batchDownload();
    else
        m_transfer.download(number);
}

void ProgramManagerDialog::upload()
{
    bool batch = false;
    int number = 0;
    if (!chooseTransfer(true, &batch, &number))
        return;
    if (batch)
        m_transfer.batchUpload();
    else
        m_transfer.upload(number);
}

void ProgramManagerDialog::edit()
{
    // The editor takes the link while it is open; nothing here can start
    // meanwhile.
    setBusy(true);
    m_editor->exec();
    setBusy(false);
}

void ProgramManagerDialog::openMonitor()
{
    setBusy(true);
    m_monitor->run();
    setBusy(false);
}

void ProgramManagerDialog::resetCommunication()
{
    m_transfer.resetCommunication();
}
