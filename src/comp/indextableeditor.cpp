#include "indextableeditor.h"

#include "app/dialogtexts.h"
#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "indextabletransfer.h"
#include "resources/catalogue.h"
#include "tablefile.h"
#include "tablenumberdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int uploadButton = 1005;
constexpr int downloadButton = 1004;
constexpr int saveButton = 1009;
constexpr int divideButton = 1006;
constexpr int clearButton = 1007;
constexpr int divideCaption = 1501;
} // namespace

IndexTableEditor::IndexTableEditor(IndexTableTransfer &transfer, QWidget *parent)
    : TableDialog(parent)
    , m_transfer(transfer)
    , m_division(new QLabel(this))
{
    const int dialogId = transfer.kind().editorDialog;
    addGrid(
        dialogId, {{1502, 50}, {1503, 110}}, 1,
        [](const QString &text) -> std::optional<QString> {
            const QByteArray trimmed = text.trimmed().toLatin1();
            if (!TableFile::encodeIndexEntry(trimmed))
                return std::nullopt;
            return QString::number(trimmed.toLongLong());
        },
        QSize(190, 300));

    auto *divideLabel = new QLabel(this);
    DialogTexts::tag(divideLabel, divideCaption);
    m_division->setMinimumWidth(40);
    m_division->setFrameShape(QFrame::StyledPanel);
    auto *top = new QHBoxLayout;
    top->addWidget(divideLabel);
    top->addWidget(m_division);
    top->addStretch();
    layOutGrid({uploadButton, downloadButton, saveButton, divideButton, clearButton}, top);

    connect(button(uploadButton), &QPushButton::clicked, this, &IndexTableEditor::upload);
    connect(button(downloadButton), &QPushButton::clicked, this, &IndexTableEditor::download);
    connect(button(saveButton), &QPushButton::clicked, this, &IndexTableEditor::save);
    connect(button(divideButton), &QPushButton::clicked, this, &IndexTableEditor::divideSet);
    connect(button(clearButton), &QPushButton::clicked, this,
            [this] { setEntries(QByteArrayList(entries().size(), "0")); });

    // The menu holds the link; the editor shares its exchange.
    attach(m_transfer, nullptr);
    connect(&m_transfer, &IndexTableTransfer::finished, this,
            [this](IndexTableTransfer::Outcome outcome) {
                if (m_reading && outcome == IndexTableTransfer::Outcome::Succeeded)
                    setEntries(m_transfer.entries());
                m_reading = false;
            });

    DialogTexts::apply(this, dialogId);
    setEntries({"0"});
}

void IndexTableEditor::setEntries(const QByteArrayList &entries)
{
    setNumberedRows({entries});
    m_division->setText(QString::number(entries.size()));
}

void IndexTableEditor::upload()
{
    const int table = m_chooseTable ? m_chooseTable() : -1;
    if (table < 0)
        return;
    m_reading = true;
    m_transfer.readTable(table);
}

void IndexTableEditor::download()
{
    const int table = m_chooseTable ? m_chooseTable() : -1;
    if (table >= 0)
        m_transfer.writeTable(table, entries());
}

void IndexTableEditor::save()
{
    const QString path = prompt().chooseFile(m_transfer.fileRequest(true, false));
    if (path.isEmpty())
        return;
    const bool ok = SafeFileWriter::writeWhole(path, TableFile::composeIndex(entries()));
    prompt().message(Catalogue::instance().string(ok ? 121 : 120));
}

void IndexTableEditor::divideSet()
{
    TableNumberDialog dialog(234, 1, TableFile::MaxIndexEntries, m_transfer.kind().rangeText,
                             prompt(), this);
    dialog.setValue(int(entries().size()));
    if (dialog.exec() == QDialog::Accepted)
        setDivision(dialog.value());
}
