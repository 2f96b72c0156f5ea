#include "cammenudialog.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "camviewdialog.h"
#include "comp/tablenumberdialog.h"
#include "programs/selecttypedialog.h"
#include "universalcamdialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int viewButton = 1006;
constexpr int universalButton = 1007;
constexpr int resetButton = 1061;
constexpr int exitButton = 1;
} // namespace

CamMenuDialog::CamMenuDialog(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_transfer(link, *m_dialogPrompt)
    , m_hold(link, m_transfer)
    , m_lamp(makeActivityLamp(this))
{
    auto *operations = new QVBoxLayout;
    for (int id : {downloadButton, uploadButton, viewButton, universalButton, resetButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(m_lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_buttons.value(downloadButton), &QPushButton::clicked, this, &CamMenuDialog::download);
    connect(m_buttons.value(uploadButton), &QPushButton::clicked, this, &CamMenuDialog::upload);
    connect(m_buttons.value(viewButton), &QPushButton::clicked, this, &CamMenuDialog::view);
    connect(m_buttons.value(universalButton), &QPushButton::clicked, this,
            &CamMenuDialog::universal);
    connect(m_buttons.value(resetButton), &QPushButton::clicked, &m_transfer,
            &CamTransfer::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_transfer, &CamTransfer::busyChanged, this, &CamMenuDialog::setBusy);
    followActivity(m_lamp, &m_transfer);

    DialogTexts::apply(this, 223);
}

CamMenuDialog::~CamMenuDialog() = default;

QPushButton *CamMenuDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void CamMenuDialog::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_transfer.setPrompt(*m_prompt);
}

void CamMenuDialog::showEvent(QShowEvent *event)
{
    if (m_hold.take()) {
        setBusy(false);
        setLampIdle(m_lamp);
    }
    QDialog::showEvent(event);
}

void CamMenuDialog::done(int result)
{
    m_hold.release();
    QDialog::done(result);
}

void CamMenuDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void CamMenuDialog::setBusy(bool busy)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(!busy);
    if (!busy)
        m_buttons.value(exitButton)->setFocus();
}

int CamMenuDialog::chooseType()
{
    if (m_chooseType)
        return m_chooseType();
    SelectTypeDialog select(this);
    if (select.exec() != QDialog::Accepted)
        return -1;
    return select.batch() ? 1 : 0;
}

int CamMenuDialog::chooseNumber()
{
    if (m_chooseNumber)
        return m_chooseNumber();
    TableNumberDialog number(224, CamProfile::LowestNumber, CamProfile::HighestNumber, 136, this);
    number.setValue(CamProfile::LowestNumber);
    return number.exec() == QDialog::Accepted ? number.value() : 0;
}

void CamMenuDialog::upload()
{
    const int type = chooseType();
    if (type < 0)
        return;
    using Kind = CamTransfer::FileKind;
    if (type == 1) {
        const QString path = m_prompt->chooseFile(CamTransfer::fileRequest(Kind::Batch, true));
        if (!path.isEmpty())
            m_transfer.batchUpload(path);
        return;
    }
    const int number = chooseNumber();
    if (number <= 0)
        return;
    const QString path = m_prompt->chooseFile(CamTransfer::fileRequest(Kind::Profile, true));
    if (!path.isEmpty())
        m_transfer.upload(number, path);
}

void CamMenuDialog::download()
{
    const int type = chooseType();
    if (type < 0)
        return;
    using Kind = CamTransfer::FileKind;
    if (type == 1) {
        const QString path = m_prompt->chooseFile(CamTransfer::fileRequest(Kind::Batch, false));
        if (!path.isEmpty())
            m_transfer.batchDownload(path);
        return;
    }
    const int number = chooseNumber();
    if (number <= 0)
        return;
    const QString path = m_prompt->chooseFile(CamTransfer::fileRequest(Kind::Profile, false));
    if (!path.isEmpty())
        m_transfer.download(number, path);
}

void CamMenuDialog::view()
{
    CamViewDialog dialog(m_transfer, *m_prompt, this);
    dialog.exec();
    m_buttons.value(exitButton)->setFocus();
}

void CamMenuDialog::universal()
{
    UniversalCamDialog dialog(*m_prompt, this);
    dialog.exec();
    m_buttons.value(exitButton)->setFocus();
}
