#include "indextablemenudialog.h"

#include "app/dialogtexts.h"
#include "indextableeditor.h"
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
    : TableDialog(parent)
    , m_kind(kind)
    , m_transfer(kind, link, prompt())
    , m_linkHold(link, m_transfer)
    , m_editor(new IndexTableEditor(m_transfer, this))
{
    auto *operations = new QVBoxLayout;
    for (int id : {uploadButton, downloadButton, editButton, resetButton})
        operations->addWidget(addButton(id));
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addLayout(operations, 0, 0, 2, 1);
    layout->addWidget(addLamp(), 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button(uploadButton), &QPushButton::clicked, this, &IndexTableMenuDialog::upload);
    connect(button(downloadButton), &QPushButton::clicked, this, &IndexTableMenuDialog::download);
    connect(button(editButton), &QPushButton::clicked, this, [this] {
        m_editor->exec();
        button(exitButton)->setFocus();
    });
    connect(button(resetButton), &QPushButton::clicked, &m_transfer,
            &IndexTableTransfer::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    attach(m_transfer, &m_linkHold);
    m_editor->setTableChooser([this] { return chooseTable(); });

    DialogTexts::apply(this, kind.menuDialog);
}

void IndexTableMenuDialog::promptChanged(UserPrompt *given)
{
    m_transfer.setPrompt(prompt());
    m_editor->setPrompt(given);
}

QString IndexTableMenuDialog::chooseFile(bool save)
{
    UserPrompt::FileRequest request = m_transfer.fileRequest(save, false);
    request.filter += QStringLiteral(";;") + m_transfer.fileRequest(save, true).filter;
    return prompt().chooseFile(request);
}

int IndexTableMenuDialog::chooseTable()
{
    if (m_chooseTable)
        return m_chooseTable();
    TableSelectDialog select(m_kind.selectCaption, this);
    return select.exec() == QDialog::Accepted ? select.table() : -1;
}

bool IndexTableMenuDialog::isBatch(const QString &path) const
{
    return QFileInfo(path).suffix().compare(m_kind.batchExtension, Qt::CaseInsensitive) == 0;
}

void IndexTableMenuDialog::upload()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    if (isBatch(path)) {
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
    if (isBatch(path)) {
        m_transfer.batchDownload(path);
        return;
    }
    const int table = chooseTable();
    if (table >= 0)
        m_transfer.download(table, path);
}
