#include "indextablemenudialog.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "indextableeditor.h"
#include "link/drivelink.h"
#include "tableselectdialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int uploadButton = 1005;
constexpr int downloadButton = 1004;
constexpr int editButton = 1006;
constexpr int resetButton = 1061;
constexpr int exitButton = 1;
} // namespace

IndexTableMenuDialog::IndexTableMenuDialog(const IndexTableKind &kind, DriveLink &link,
                                           QWidget *parent)
    : QDialog(parent)
    , m_kind(kind)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_transfer(kind, link, *m_dialogPrompt)
    , m_lamp(new QLabel(this))
    , m_editor(new IndexTableEditor(m_transfer, this))
{
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);

    auto *operations = new QVBoxLayout;
    for (int id : {uploadButton, downloadButton, editButton, resetButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(m_lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_buttons.value(uploadButton), &QPushButton::clicked, this,
            &IndexTableMenuDialog::upload);
    connect(m_buttons.value(downloadButton), &QPushButton::clicked, this,
            &IndexTableMenuDialog::download);
    connect(m_buttons.value(editButton), &QPushButton::clicked, this, [this] {
        m_editor->exec();
        m_buttons.value(exitButton)->setFocus();
    });
    connect(m_buttons.value(resetButton), &QPushButton::clicked, &m_transfer,
            &IndexTableTransfer::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_transfer, &IndexTableTransfer::busyChanged, this, [this](bool busy) {
        // The editor shows its own state while it is open.
        if (!m_editor->isVisible())
            setBusy(busy);
    });
    connect(&m_transfer, &IndexTableTransfer::lampToggled, this,
            [this] { toggleActivityLamp(m_lamp); });
    connect(&m_transfer, &IndexTableTransfer::lampIdle, this, [this] { setLampIdle(m_lamp); });

    DialogTexts::apply(this, kind.menuDialog);
}

IndexTableMenuDialog::~IndexTableMenuDialog()
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.popOwner();
    }
}

QPushButton *IndexTableMenuDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void IndexTableMenuDialog::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_transfer.setPrompt(*m_prompt);
    m_editor->setPrompt(prompt);
}

void IndexTableMenuDialog::showEvent(QShowEvent *event)
{
    if (!m_ownsLink) {
        m_ownsLink = m_link.pushOwner(&m_transfer);
        m_link.open();
        setBusy(false);
        setLampIdle(m_lamp);
    }
    QDialog::showEvent(event);
}

void IndexTableMenuDialog::done(int result)
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.close();
        m_link.popOwner();
        m_ownsLink = false;
    }
    QDialog::done(result);
}

void IndexTableMenuDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void IndexTableMenuDialog::setBusy(bool busy)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(!busy);
    if (!busy)
        m_buttons.value(exitButton)->setFocus();
}

QString IndexTableMenuDialog::chooseFile(bool save)
{
    UserPrompt::FileRequest request = m_transfer.fileRequest(save, false);
    request.filter += QStringLiteral(";;") + m_transfer.fileRequest(save, true).filter;
    return m_prompt->chooseFile(request);
}

int IndexTableMenuDialog::chooseTable()
{
    if (m_chooseTable)
        return m_chooseTable();
    TableSelectDialog select(m_kind.selectCaption, this);
    return select.exec() == QDialog::Accepted ? select.table() : -1;
}

void IndexTableMenuDialog::upload()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(m_kind.batchExtension, Qt::CaseInsensitive) == 0) {
        m_transfer.batchUpload(path);
        return;
    }
    const int table = chooseTable();
    if (table >= 0)
        m_transfer.upload(table, path);
}

void IndexTableMenuDialog::download()
{
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(m_kind.batchExtension, Qt::CaseInsensitive) == 0) {
        m_transfer.batchDownload(path);
        return;
    }
    const int table = chooseTable();
    if (table >= 0)
        m_transfer.download(table, path);
}
