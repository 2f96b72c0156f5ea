#include "pointtabledialog.h"

#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/parametergrid.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"
#include "tablefile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int clearButton = 1006;
constexpr int enterButton = 1048;
constexpr int exitButton = 1;
constexpr int dialogId = 232;
constexpr int valueColumn = 1;
constexpr int attributeColumn = 2;
} // namespace

PointTableDialog::PointTableDialog(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_transfer(link, *m_dialogPrompt)
    , m_grid(new ParameterGrid(this))
    , m_edit(new QLineEdit(this))
    , m_lamp(new QLabel(this))
{
    const Catalogue &catalogue = Catalogue::instance();
    m_grid->setColumns({{catalogue.controlText(dialogId, 1501), 50},
                        {catalogue.controlText(dialogId, 1502), 110},
                        {catalogue.controlText(dialogId, 1503), 90}});
    m_grid->setEditColumn(valueColumn);
    m_grid->attachEditor(m_edit);
    m_grid->setValidator([](const QString &text) -> std::optional<QString> {
        const std::optional<QByteArray> value = TableFile::boundedValue(text.toLatin1());
        return value ? std::optional<QString>(QString::fromLatin1(*value)) : std::nullopt;
    });
    m_grid->setMinimumSize(270, 340);
    // Both the value and the attribute column are edited through the box.
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row < 0 || (column != valueColumn && column != attributeColumn) ||
            column == m_grid->editColumn())
            return;
        m_grid->setEditColumn(column);
        m_edit->setText(m_grid->cellText(row, column));
        m_edit->selectAll();
        m_edit->setFocus();
    });
    connect(m_grid, &ParameterGrid::editRejected, this,
            [this] { m_prompt->message(Catalogue::instance().string(189)); });
    m_edit->setMaxLength(11);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);

    auto *settingLabel = new QLabel(this);
    DialogTexts::tag(settingLabel, 1504);
    settingLabel->setBuddy(m_edit);
    auto *editRow = new QHBoxLayout;
    editRow->addWidget(settingLabel);
    editRow->addWidget(m_edit);
    editRow->addWidget(addButton(enterButton));

    auto *buttons = new QVBoxLayout;
    for (int id : {downloadButton, uploadButton, clearButton})
        buttons->addWidget(addButton(id));
    buttons->addStretch();
    buttons->addWidget(m_lamp, 0, Qt::AlignRight);
    QPushButton *exit = addButton(exitButton);
    buttons->addWidget(exit);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_grid, 0, 0);
    layout->addLayout(editRow, 1, 0);
    layout->addLayout(buttons, 0, 1, 2, 1);

    connect(m_buttons.value(downloadButton), &QPushButton::clicked, this,
            [this] { m_transfer.download(items()); });
    connect(m_buttons.value(uploadButton), &QPushButton::clicked, this, &PointTableDialog::upload);
    connect(m_buttons.value(clearButton), &QPushButton::clicked, this,
            [this] { setItems(QByteArrayList(PointTableTransfer::Items, "0")); });
    connect(m_buttons.value(enterButton), &QPushButton::clicked, m_grid,
            &ParameterGrid::commitEdit);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_transfer, &PointTableTransfer::busyChanged, this, &PointTableDialog::setBusy);
    connect(&m_transfer, &PointTableTransfer::lampToggled, this,
            [this] { toggleActivityLamp(m_lamp); });
    connect(&m_transfer, &PointTableTransfer::lampIdle, this, [this] { setLampIdle(m_lamp); });
    connect(&m_transfer, &PointTableTransfer::finished, this,
            [this](PointTableTransfer::Outcome outcome) {
                if (m_uploading && outcome == PointTableTransfer::Outcome::Succeeded)
                    setItems(m_transfer.items());
                m_uploading = false;
            });

    DialogTexts::apply(this, dialogId);
    m_grid->applyFontRule(AppSettings::instance().english());
    setItems(QByteArrayList(PointTableTransfer::Items, "0"));
}

PointTableDialog::~PointTableDialog()
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.popOwner();
    }
}

QPushButton *PointTableDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void PointTableDialog::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_transfer.setPrompt(*m_prompt);
}

void PointTableDialog::showEvent(QShowEvent *event)
{
    if (!m_ownsLink) {
        m_ownsLink = m_link.pushOwner(&m_transfer);
        m_link.open();
        setBusy(false);
        setLampIdle(m_lamp);
        // The table is read once the window is up.
        QTimer::singleShot(0, this, &PointTableDialog::upload);
    }
    QDialog::showEvent(event);
}

void PointTableDialog::done(int result)
{
    if (m_ownsLink) {
        m_link.reset();
        m_link.close();
        m_link.popOwner();
        m_ownsLink = false;
    }
    QDialog::done(result);
}

void PointTableDialog::reject()
{
    if (m_transfer.isBusy())
        return;
    QDialog::reject();
}

void PointTableDialog::setBusy(bool busy)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(!busy);
    m_grid->setEnabled(!busy);
    m_edit->setEnabled(!busy);
}

void PointTableDialog::upload()
{
    if (!m_ownsLink || m_transfer.isBusy())
        return;
    m_uploading = true;
    m_transfer.upload();
}

QByteArrayList PointTableDialog::items() const
{
    QByteArrayList values;
    QByteArrayList attributes;
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        values.append(m_grid->cellText(row, valueColumn).toLatin1());
        attributes.append(m_grid->cellText(row, attributeColumn).toLatin1());
    }
    return values + attributes;
}

void PointTableDialog::setItems(const QByteArrayList &items)
{
    QList<QStringList> rows;
    for (int k = 0; k < PointTableTransfer::Points; ++k)
        rows.append({QString::number(k), QString::fromLatin1(items.value(k, "0")),
                     QString::fromLatin1(items.value(PointTableTransfer::Points + k, "0"))});
    m_grid->setRows(rows);
}
