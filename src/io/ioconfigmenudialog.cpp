#include "ioconfigmenudialog.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/mainmenuwindow.h"
#include "discreteconfigdialog.h"
#include "link/drivelink.h"

namespace {
constexpr int dialogId = 229;
constexpr int uploadButton = 1005;
constexpr int downloadButton = 1004;
constexpr int editorButton = 1385;
} // namespace

IoConfigMenuDialog::IoConfigMenuDialog(DriveLink &link, QWidget *parent)
    : FeatureMenuDialog(parent)
    , m_transfer(link, prompt())
    , m_linkHold(link, m_transfer)
    , m_editor(new DiscreteConfigDialog(link, this))
{
    if (!LampImages::instance().isLoaded())
        LampImages::instance().load();
    layOutMenu({{uploadButton, std::bind_front(&IoConfigTransfer::upload, &m_transfer)},
                {downloadButton, std::bind_front(&IoConfigTransfer::download, &m_transfer)},
                {editorButton, std::bind_front(&IoConfigMenuDialog::openEditor, this)}});
    follow(m_transfer);
    setLinkHold(&m_linkHold);
    connect(&m_transfer, &IoConfigTransfer::closeRequested, this, &QDialog::accept);

    DialogTexts::apply(this, dialogId);
}

IoConfigMenuDialog::~IoConfigMenuDialog() = default;

void IoConfigMenuDialog::promptChanged(UserPrompt *given)
{
    m_transfer.setPrompt(prompt());
    m_editor->setPrompt(given);
}

void IoConfigMenuDialog::opened()
{
    // Only the buttons: the "Communication mode" window is left as it is.
    FeatureMenuDialog::setBusy(false);
}

void IoConfigMenuDialog::setBusy(bool busy)
{
    // The "Communication mode" window stays out of the way while the drive
    // is busy with a transfer.
    showCommModeWindow(!busy);
    FeatureMenuDialog::setBusy(busy);
    if (!busy)
        activateWindow();
}

void IoConfigMenuDialog::openEditor()
{
    setBusy(true);
    m_editor->exec();
    setBusy(false);
}
