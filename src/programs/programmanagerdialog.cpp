#include "programmanagerdialog.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "programeditdialog.h"
#include "programmonitorwindow.h"
#include "programpropertydialog.h"
#include "programtext.h"
#include "selecttypedialog.h"

#include <QGridLayout>
#include <QProgressBar>

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int editButton = 1006;
constexpr int monitorButton = 1007;
constexpr int resetButton = 1061;
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
    m_progress->setTextVisible(true);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->hide();

    QGridLayout *layout = layOutMenu(
        {{downloadButton, std::bind_front(&ProgramManagerDialog::download, this)},
         {uploadButton, std::bind_front(&ProgramManagerDialog::upload, this)},
         {editButton, std::bind_front(&ProgramManagerDialog::edit, this)},
         {monitorButton, std::bind_front(&ProgramManagerDialog::openMonitor, this)},
         {resetButton, std::bind_front(&ProgramTransfer::resetCommunication, &m_transfer)}});
    layout->addWidget(m_progress, 2, 0, 1, 2);

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
