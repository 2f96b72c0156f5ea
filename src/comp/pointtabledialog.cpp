#include "pointtabledialog.h"

#include "app/dialogtexts.h"
#include "tablefile.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int clearButton = 1006;
constexpr int settingCaption = 1504;
constexpr int dialogId = 232;
constexpr int valueColumn = 1;
constexpr int attributeColumn = 2;
} // namespace

PointTableDialog::PointTableDialog(DriveLink &link, QWidget *parent)
    : TableDialog(parent)
    , m_transfer(link, prompt())
    , m_linkHold(link, m_transfer)
{
    addGrid(
        dialogId, {{1501, 50}, {1502, 110}, {1503, 90}}, valueColumn,
        [](const QString &text) -> std::optional<QString> {
            const std::optional<QByteArray> value = TableFile::boundedValue(text.toLatin1());
            return value ? std::optional<QString>(QString::fromLatin1(*value)) : std::nullopt;
        },
        QSize(270, 340));
    // Both the value and the attribute column are edited through the box.
    connect(grid(), &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row < 0 || (column != valueColumn && column != attributeColumn) ||
            column == grid()->editColumn())
            return;
        grid()->setEditColumn(column);
        editBox()->setText(grid()->cellText(row, column));
        editBox()->selectAll();
        editBox()->setFocus();
    });
    addLamp();
    layOutGrid({downloadButton, uploadButton, clearButton}, nullptr, settingCaption);

    connect(button(downloadButton), &QPushButton::clicked, this,
            [this] { m_transfer.download(items()); });
    connect(button(uploadButton), &QPushButton::clicked, this, &PointTableDialog::upload);
    connect(button(clearButton), &QPushButton::clicked, this,
            [this] { setItems(QByteArrayList(PointTableTransfer::Items, "0")); });

    attach(m_transfer, &m_linkHold);
    connect(&m_transfer, &PointTableTransfer::finished, this,
            [this](PointTableTransfer::Outcome outcome) {
                if (m_uploading && outcome == PointTableTransfer::Outcome::Succeeded)
                    setItems(m_transfer.items());
                m_uploading = false;
            });

    DialogTexts::apply(this, dialogId);
    setItems(QByteArrayList(PointTableTransfer::Items, "0"));
}

void PointTableDialog::promptChanged(UserPrompt *)
{
    m_transfer.setPrompt(prompt());
}

void PointTableDialog::opened()
{
    TableDialog::opened();
    // The table is read once the window is up.
    QTimer::singleShot(0, this, &PointTableDialog::upload);
}

void PointTableDialog::upload()
{
    if (!m_linkHold.isHeld() || m_transfer.isBusy())
        return;
    m_uploading = true;
    m_transfer.upload();
}

QByteArrayList PointTableDialog::items() const
{
    return columnTexts(valueColumn) + columnTexts(attributeColumn);
}

void PointTableDialog::setItems(const QByteArrayList &items)
{
    const QByteArrayList padded = resized(items, PointTableTransfer::Items);
    setNumberedRows(
        {padded.mid(0, PointTableTransfer::Points), padded.mid(PointTableTransfer::Points)});
}
