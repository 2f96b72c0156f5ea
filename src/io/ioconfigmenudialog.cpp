#include "ioconfigmenudialog.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/mainmenuwindow.h"
#include "discreteconfigdialog.h"
#include "link/drivelink.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int dialogId = 229;
constexpr int exitButton = 1;
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
    QLabel *lamp = addLamp();

    auto *operations = new QVBoxLayout;
    for (int id : {uploadButton, downloadButton, editorButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button(uploadButton), &QPushButton::clicked, &m_transfer, &IoConfigTransfer::upload);
    connect(button(downloadButton), &QPushButton::clicked, &m_transfer,
            &IoConfigTransfer::download);
    connect(button(editorButton), &QPushButton::clicked, this, &IoConfigMenuDialog::openEditor);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

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
