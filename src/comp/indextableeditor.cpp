#include "indextableeditor.h"

#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/parametergrid.h"
#include "app/safefilewriter.h"
#include "indextabletransfer.h"
#include "resources/catalogue.h"
#include "tablefile.h"
#include "tablenumberdialog.h"
#include "tableselectdialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int uploadButton = 1005;
constexpr int downloadButton = 1004;
constexpr int saveButton = 1009;
constexpr int divideButton = 1006;
constexpr int clearButton = 1007;
constexpr int enterButton = 1048;
constexpr int exitButton = 1;
} // namespace

IndexTableEditor::IndexTableEditor(IndexTableTransfer &transfer, QWidget *parent)
    : QDialog(parent)
    , m_transfer(transfer)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_grid(new ParameterGrid(this))
    , m_edit(new QLineEdit(this))
    , m_division(new QLabel(this))
{
    const int dialogId = transfer.kind().editorDialog;
    const Catalogue &catalogue = Catalogue::instance();
    m_grid->setColumns({{catalogue.controlText(dialogId, 1502), 50},
                        {catalogue.controlText(dialogId, 1503), 110}});
    m_grid->setEditColumn(1);
    m_grid->attachEditor(m_edit);
    m_grid->setValidator([](const QString &text) -> std::optional<QString> {
        const QByteArray trimmed = text.trimmed().toLatin1();
        if (!TableFile::encodeIndexEntry(trimmed))
            return std::nullopt;
        return QString::number(trimmed.toLongLong());
    });
    m_grid->setMinimumSize(190, 300);
    connect(m_grid, &ParameterGrid::editRejected, this,
            [this] { m_prompt->message(Catalogue::instance().string(189)); });
    m_edit->setMaxLength(11);

    auto *divideLabel = new QLabel(this);
    DialogTexts::tag(divideLabel, 1501);
    m_division->setMinimumWidth(40);
    m_division->setFrameShape(QFrame::StyledPanel);

    auto *top = new QHBoxLayout;
    top->addWidget(divideLabel);
    top->addWidget(m_division);
    top->addStretch();

    auto *buttons = new QVBoxLayout;
    for (int id : {uploadButton, downloadButton, saveButton, divideButton, clearButton})
        buttons->addWidget(addButton(id));
    buttons->addStretch();
    QPushButton *exit = addButton(exitButton);
    buttons->addWidget(exit);

    auto *editRow = new QHBoxLayout;
    editRow->addWidget(m_edit);
    editRow->addWidget(addButton(enterButton));

    auto *layout = new QGridLayout(this);
    layout->addLayout(top, 0, 0);
    layout->addWidget(m_grid, 1, 0);
    layout->addLayout(editRow, 2, 0);
    layout->addLayout(buttons, 0, 1, 3, 1);

    connect(m_buttons.value(uploadButton), &QPushButton::clicked, this, &IndexTableEditor::upload);
    connect(m_buttons.value(downloadButton), &QPushButton::clicked, this,
            &IndexTableEditor::download);
    connect(m_buttons.value(saveButton), &QPushButton::clicked, this, &IndexTableEditor::save);
    connect(m_buttons.value(divideButton), &QPushButton::clicked, this,
            &IndexTableEditor::divideSet);
    connect(m_buttons.value(clearButton), &QPushButton::clicked, this,
            [this] { setEntries(QByteArrayList(entries().size(), "0")); });
    connect(m_buttons.value(enterButton), &QPushButton::clicked, m_grid,
            &ParameterGrid::commitEdit);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_transfer, &IndexTableTransfer::busyChanged, this, [this](bool busy) {
        if (isVisible())
            setBusy(busy);
    });
    connect(&m_transfer, &IndexTableTransfer::finished, this,
            [this](IndexTableTransfer::Outcome outcome) {
                if (m_reading && outcome == IndexTableTransfer::Outcome::Succeeded)
                    setEntries(m_transfer.entries());
                m_reading = false;
            });

    DialogTexts::apply(this, dialogId);
    m_grid->applyFontRule(AppSettings::instance().english());
    setEntries({"0"});
}

IndexTableEditor::~IndexTableEditor() = default;

QPushButton *IndexTableEditor::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void IndexTableEditor::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
}

void IndexTableEditor::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void IndexTableEditor::setBusy(bool busy)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(!busy);
    m_grid->setEnabled(!busy);
    m_edit->setEnabled(!busy);
}

QByteArrayList IndexTableEditor::entries() const
{
    QByteArrayList list;
    for (int row = 0; row < m_grid->rowCount(); ++row)
        list.append(m_grid->cellText(row, 1).toLatin1());
    return list;
}

void IndexTableEditor::setEntries(const QByteArrayList &entries)
{
    QList<QStringList> rows;
    for (int i = 0; i < entries.size(); ++i)
        rows.append({QString::number(i), QString::fromLatin1(entries.at(i))});
    m_grid->setRows(rows);
    m_division->setText(QString::number(entries.size()));
}

void IndexTableEditor::setDivision(int count)
{
    QByteArrayList list = entries().mid(0, count);
    while (list.size() < count)
        list.append("0");
    setEntries(list);
}

int IndexTableEditor::chooseTable()
{
    if (m_chooseTable)
        return m_chooseTable();
    TableSelectDialog select(m_transfer.kind().selectCaption, this);
    return select.exec() == QDialog::Accepted ? select.table() : -1;
}

void IndexTableEditor::upload()
{
    const int table = chooseTable();
    if (table < 0)
        return;
    m_reading = true;
    m_transfer.readTable(table);
}

void IndexTableEditor::download()
{
    const int table = chooseTable();
    if (table >= 0)
        m_transfer.writeTable(table, entries());
}

void IndexTableEditor::save()
{
    const QString path = m_prompt->chooseFile(m_transfer.fileRequest(true, false));
    if (path.isEmpty())
        return;
    const bool ok = SafeFileWriter::writeWhole(path, TableFile::composeIndex(entries()));
    m_prompt->message(Catalogue::instance().string(ok ? 121 : 120));
}

void IndexTableEditor::divideSet()
{
    TableNumberDialog dialog(234, 1, TableFile::MaxIndexEntries, m_transfer.kind().rangeText, this);
    dialog.setValue(int(entries().size()));
    if (dialog.exec() == QDialog::Accepted)
        setDivision(dialog.value());
}
