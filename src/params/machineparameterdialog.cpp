#include "machineparameterdialog.h"

#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "app/parametergrid.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/catalogue.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int dialogId = 250;
constexpr int gridControl = 1444;
constexpr int valueBoxControl = 1049;
constexpr int valueCaption = 1501;
constexpr int enterButton = 1048;
constexpr int setButton = 1007;
constexpr int exitButton = 1;
// The header texts of the key, label and value columns.
constexpr int columnCaptions[] = {1502, 1503, 1504};
constexpr int columnWidths[] = {60, 190, 110};
constexpr int valueColumn = 2;
} // namespace

MachineParameterDialog::MachineParameterDialog(DriveLink &link, QWidget *parent)
    : FeatureMenuDialog(parent)
    , m_edit(link, prompt())
    , m_linkHold(link, m_edit)
    , m_grid(new ParameterGrid(this))
    , m_valueBox(new QLineEdit(this))
{
    QLabel *lamp = addLamp();
    DialogTexts::tag(m_grid, gridControl);
    DialogTexts::tag(m_valueBox, valueBoxControl);

    QList<ParameterGrid::Column> columns;
    for (int i = 0; i < 3; ++i)
        columns.append(
            {Catalogue::instance().controlText(dialogId, columnCaptions[i]), columnWidths[i]});
    m_grid->setColumns(columns);
    m_grid->setEditColumn(valueColumn);
    m_grid->attachEditor(m_valueBox);
    m_grid->setValidator([](const QString &typed) -> std::optional<QString> {
        const std::optional<QByteArray> value =
            MachineParameterEdit::normaliseValue(typed.toLatin1());
        return value ? std::optional<QString>(QString::fromLatin1(*value)) : std::nullopt;
    });
    int gridWidth = 2 * m_grid->frameWidth() + 20; // room for the scroll bar
    for (int width : columnWidths)
        gridWidth += width;
    m_grid->setMinimumSize(gridWidth, 320);
    m_valueBox->setMaxLength(16);

    auto *caption = new QLabel(this);
    DialogTexts::tag(caption, valueCaption);
    caption->setBuddy(m_valueBox);

    auto *side = new QVBoxLayout;
    side->addWidget(caption);
    side->addWidget(m_valueBox);
    side->addWidget(addButton(enterButton));
    side->addSpacing(12);
    side->addWidget(addButton(setButton));
    side->addStretch();
    side->addWidget(lamp, 0, Qt::AlignRight);
    QPushButton *exit = addButton(exitButton);
    side->addWidget(exit);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_grid, 0, 0);
    layout->addLayout(side, 0, 1);
    layout->setColumnStretch(0, 1);

    connect(button(enterButton), &QPushButton::clicked, m_grid, &ParameterGrid::commitEdit);
    connect(button(setButton), &QPushButton::clicked, &m_edit, &MachineParameterEdit::write);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_grid, &ParameterGrid::valueStored, this,
            [this](int row, const QString &value) { m_edit.setValue(row, value.toLatin1()); });
    connect(m_grid, &ParameterGrid::editRejected, this,
            [this] { prompt().message(Catalogue::instance().string(189)); });

    follow(m_edit);
    setLinkHold(&m_linkHold);
    connect(&m_edit, &MachineParameterEdit::rowsChanged, this, &MachineParameterDialog::showRows);
    connect(&m_edit, &MachineParameterEdit::closeRequested, this, &QDialog::accept);

    DialogTexts::apply(this, dialogId);
}

void MachineParameterDialog::promptChanged(UserPrompt *)
{
    m_edit.setPrompt(prompt());
}

void MachineParameterDialog::opened()
{
    m_grid->applyFontRule(AppSettings::instance().english());
    if (m_linkHold.isHeld())
        m_edit.read();
}

void MachineParameterDialog::setBusy(bool busy)
{
    // Nothing is edited while rows are read or written, so that what the
    // grid shows is what the drive was given.
    enableButtons(!busy);
    m_grid->setEnabled(!busy);
    m_valueBox->setEnabled(!busy);
    if (!busy)
        m_valueBox->setFocus();
}

void MachineParameterDialog::showRows()
{
    QList<QStringList> rows;
    for (const MachineParameterEdit::Row &row : m_edit.rows()) {
        rows.append({QString::fromLatin1(row.key), DriveText::decode(row.label),
                     QString::fromLatin1(row.value)});
    }
    m_grid->setRows(rows);
}
