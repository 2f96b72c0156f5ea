#include "ioconfigmenudialog.h"

#include "app/dialogprompt.h"
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
    : QDialog(parent)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_transfer(link, *m_dialogPrompt)
    , m_linkHold(link, m_transfer)
    , m_lamp(makeActivityLamp(this))
    , m_editor(new DiscreteConfigDialog(link, this))
{
    if (!LampImages::instance().isLoaded())
        LampImages::instance().load();

    auto *operations = new QVBoxLayout;
    for (int id : {uploadButton, downloadButton, editorButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(m_lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_buttons.value(uploadButton), &QPushButton::clicked, &m_transfer,
            &IoConfigTransfer::upload);
    connect(m_buttons.value(downloadButton), &QPushButton::clicked, &m_transfer,
            &IoConfigTransfer::download);
    connect(m_buttons.value(editorButton), &QPushButton::clicked, this,
            &IoConfigMenuDialog::openEditor);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_transfer, &IoConfigTransfer::busyChanged, this, &IoConfigMenuDialog::setBusy);
    followActivity(m_lamp, &m_transfer);
    connect(&m_transfer, &IoConfigTransfer::closeRequested, this, &QDialog::accept);

    DialogTexts::apply(this, dialogId);
}

IoConfigMenuDialog::~IoConfigMenuDialog() = default;

QPushButton *IoConfigMenuDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void IoConfigMenuDialog::setPrompt(UserPrompt *prompt)
{
    m_transfer.setPrompt(prompt ? *prompt : *m_dialogPrompt);
    m_editor->setPrompt(prompt);
}

void IoConfigMenuDialog::showEvent(QShowEvent *event)
{
    // Each opening starts with every button ready and the link taken.
    if (!m_linkHold.isHeld()) {
        m_linkHold.take();
        enableButtons(true);
        setLampIdle(m_lamp);
    }
    QDialog::showEvent(event);
}

void IoConfigMenuDialog::done(int result)
{
    m_linkHold.release();
    QDialog::done(result);
}

void IoConfigMenuDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void IoConfigMenuDialog::setBusy(bool busy)
{
    // The "Communication mode" window stays out of the way while the drive
    // is busy with a transfer.
    showCommModeWindow(!busy);
    enableButtons(!busy);
    if (!busy)
        activateWindow();
}

void IoConfigMenuDialog::enableButtons(bool enable)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(enable);
    if (enable)
        m_buttons.value(exitButton)->setFocus();
}

void IoConfigMenuDialog::openEditor()
{
    setBusy(true);
    m_editor->exec();
    setBusy(false);
}
