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
    : FeatureMenuDialog(parent)
    , m_prompt(this)
    , m_transfer(link, m_prompt)
    , m_linkHold(link, m_transfer)
    , m_progress(new QProgressBar(this))
    , m_select(new SelectTypeDialog(this))
    , m_property(new ProgramPropertyDialog(this))
    , m_editor(new ProgramEditDialog(link, this))
    , m_monitor(new ProgramMonitorWindow(link, this))
{
    QLabel *lamp = addLamp();
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
    layout->addWidget(lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->addWidget(m_progress, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button(downloadButton), &QPushButton::clicked, this, &ProgramManagerDialog::download);
    connect(button(uploadButton), &QPushButton::clicked, this, &ProgramManagerDialog::upload);
    connect(button(editButton), &QPushButton::clicked, this, &ProgramManagerDialog::edit);
    connect(button(monitorButton), &QPushButton::clicked, this, &ProgramManagerDialog::openMonitor);
    connect(button(resetButton), &QPushButton::clicked, this,
            &ProgramManagerDialog::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    follow(m_transfer);
    setLinkHold(&m_linkHold);
    connect(&m_transfer, &ProgramTransfer::progress, this, &ProgramManagerDialog::showProgress);

    DialogTexts::apply(this, 215);
}

ProgramManagerDialog::~ProgramManagerDialog() = default;

void ProgramManagerDialog::promptChanged(UserPrompt *given)
{
    m_prompt.setStandIn(given);
    m_property->setPrompt(given);
    m_editor->setPrompt(given);
    m_monitor->setPrompt(given);
}

void ProgramManagerDialog::setBusy(bool busy)
{
    if (!busy)
        m_progress->hide();
    FeatureMenuDialog::setBusy(busy);
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
