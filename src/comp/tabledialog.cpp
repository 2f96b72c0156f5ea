#include "tabledialog.h"

#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "resources/catalogue.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int enterButton = 1048;
constexpr int exitButton = 1;
} // namespace

TableDialog::TableDialog(QWidget *parent)
    : FeatureMenuDialog(parent)
{}

void TableDialog::addGrid(int dialogId, const QList<QPair<int, int>> &titlesAndWidths,
                          int editColumn, ParameterGrid::Validator validator, QSize minimum)
{
    m_grid = new ParameterGrid(this);
    m_edit = new QLineEdit(this);
    QList<ParameterGrid::Column> columns;
    for (const auto &[title, width] : titlesAndWidths)
        columns.append({Catalogue::instance().controlText(dialogId, title), width});
    m_grid->setColumns(columns);
    m_grid->setEditColumn(editColumn);
    m_grid->attachEditor(m_edit);
    m_grid->setValidator(std::move(validator));
    m_grid->setMinimumSize(minimum);
    m_grid->applyFontRule(AppSettings::instance().english());
    m_edit->setMaxLength(11);
    connect(m_grid, &ParameterGrid::editRejected, this,
            [this] { prompt().message(Catalogue::instance().string(189)); });
    connect(addButton(enterButton), &QPushButton::clicked, m_grid, &ParameterGrid::commitEdit);
}

void TableDialog::layOutGrid(const QList<int> &buttonIds, QLayout *above, int editCaption)
{
    auto *editRow = new QHBoxLayout;
    if (editCaption) {
        auto *caption = new QLabel(this);
        DialogTexts::tag(caption, editCaption);
        caption->setBuddy(m_edit);
        editRow->addWidget(caption);
    }
    editRow->addWidget(m_edit);
    editRow->addWidget(button(enterButton));

    auto *buttons = new QVBoxLayout;
    for (int id : buttonIds)
        buttons->addWidget(addButton(id));
    buttons->addStretch();
    if (lamp())
        buttons->addWidget(lamp(), 0, Qt::AlignRight);
    buttons->addWidget(addButton(exitButton));
    connect(button(exitButton), &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    int row = 0;
    if (above)
        layout->addLayout(above, row++, 0);
    layout->addWidget(m_grid, row++, 0);
    layout->addLayout(editRow, row++, 0);
    layout->addLayout(buttons, 0, 1, row, 1);
}

QByteArrayList TableDialog::columnTexts(int column) const
{
    QByteArrayList texts;
    for (int row = 0; row < m_grid->rowCount(); ++row)
        texts.append(m_grid->cellText(row, column).toLatin1());
    return texts;
}

void TableDialog::setNumberedRows(const QList<QByteArrayList> &columns)
{
    qsizetype count = 0;
    for (const QByteArrayList &column : columns)
        count = qMax(count, column.size());
    QList<QStringList> rows;
    for (qsizetype i = 0; i < count; ++i) {
        QStringList row{QString::number(i)};
        for (const QByteArrayList &column : columns)
            row.append(QString::fromLatin1(column.value(i, "0")));
        rows.append(row);
    }
    m_grid->setRows(rows);
}

QByteArrayList TableDialog::resized(QByteArrayList entries, int count)
{
    entries = entries.mid(0, count);
    while (entries.size() < count)
        entries.append("0");
    return entries;
}

void TableDialog::setBusy(bool busy)
{
    enableButtons(!busy);
    if (m_grid) {
        m_grid->setEnabled(!busy);
        m_edit->setEnabled(!busy);
    }
    if (!busy && isVisible())
        focusExit();
}

void layOutFormDialog(QDialog *dialog, int captionId, QWidget *field)
{
    auto *caption = new QLabel(dialog);
    DialogTexts::tag(caption, captionId);
    caption->setBuddy(field);

    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    DialogTexts::tag(ok, 1);
    DialogTexts::tag(cancel, 2);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(caption, field);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
