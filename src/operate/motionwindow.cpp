#include "motionwindow.h"

#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/parametergrid.h"
#include "homeoffsetwindow.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "link/simpleterminalwindow.h"
#include "resources/catalogue.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int startButton = 1301;
constexpr int abortButton = 1302;
constexpr int plusButton = 1059;
constexpr int minusButton = 1058;
constexpr int stopButton = 1063;
constexpr int offsetButton = 1076;
constexpr int errResetButton = 1300;
constexpr int setButton = 1007;
constexpr int terminalButton = 1062;
constexpr int exitButton = 1;
constexpr int measuredCaption = 1501;
constexpr int parameterCaption = 1502;
constexpr int lampControl = 1047;
constexpr int optionEdits[] = {1071, 1072, 1073};
constexpr int optionCaptions[] = {1511, 1512, 1513};
constexpr int disable2Box = 1074;
constexpr int disable3Box = 1075;
// Own texts: the grid's column titles.
constexpr int columnTexts[] = {1130, 1131, 1132};
constexpr int columnWidths[] = {50, 150, 100};
constexpr int valueColumn = 2;
} // namespace

MotionWindow::MotionWindow(DriveLink &link, MotionKind::Id kind, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_exchange(link, MotionKind::of(kind))
{
    const MotionKind &k = m_exchange.kind();
    m_exchange.setPrompt(m_prompt);

    auto *layout = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    layout->addLayout(left, 1);

    if (!k.parameterRows.isEmpty()) {
        auto *group = new QGroupBox(this);
        DialogTexts::tag(group, parameterCaption);
        auto *g = new QVBoxLayout(group);
        m_grid = new ParameterGrid(group);
        m_valueBox = new QLineEdit(group);
        m_valueBox->setMaxLength(11);
        QList<ParameterGrid::Column> columns;
        int width = 2 * m_grid->frameWidth() + 4;
        for (int i = 0; i < 3; ++i) {
            columns.append({Catalogue::instance().string(columnTexts[i]), columnWidths[i]});
            width += columnWidths[i];
        }
        m_grid->setColumns(columns);
        m_grid->setEditColumn(valueColumn);
        m_grid->attachEditor(m_valueBox);
        m_grid->setValidator([](const QString &typed) -> std::optional<QString> {
            const QByteArray t = typed.trimmed().toLatin1();
            if (!commandInteger(t, -999999999, 999999999))
                return std::nullopt;
            return QString::fromLatin1(t);
        });
        m_grid->setMinimumSize(width, 60 + 24 * int(k.parameterRows.size()));
        g->addWidget(m_grid);
        g->addWidget(m_valueBox);
        g->addWidget(addButton(setButton), 0, Qt::AlignRight);
        left->addWidget(group);
        connect(m_grid, &ParameterGrid::valueStored, this,
                [this](int row, const QString &) { m_edited.insert(row); });
        connect(m_grid, &ParameterGrid::editRejected, this,
                [this] { m_prompt->message(Catalogue::instance().string(189)); });
    }

    if (k.id == MotionKind::Id::Homing) {
        auto *row = new QHBoxLayout;
        auto *caption = new QLabel(this);
        DialogTexts::tag(caption, measuredCaption);
        m_measured = new QLineEdit(this);
        m_measured->setReadOnly(true);
        caption->setBuddy(m_measured);
        row->addWidget(caption);
        row->addWidget(m_measured, 1);
        left->addLayout(row);
        connect(&m_exchange, &MotionExchange::measuredValueChanged, this,
                [this](const QByteArray &v) { m_measured->setText(QString::fromLatin1(v)); });
    }

    if (k.hasOptions()) {
        auto *grid = new QGridLayout;
        for (int i = 0; i < 3; ++i) {
            auto *caption = new QLabel(this);
            DialogTexts::tag(caption, optionCaptions[i]);
            auto *spin = new QSpinBox(this);
            DialogTexts::tag(spin, optionEdits[i]);
            spin->setRange(int(k.options.at(i).min), int(k.options.at(i).max));
            spin->setValue(
                std::clamp(i == 0 ? 1 : (i == 2 ? 100 : 0), spin->minimum(), spin->maximum()));
            caption->setBuddy(spin);
            grid->addWidget(caption, i, 0);
            grid->addWidget(spin, i, 1);
            m_options.append(spin);
        }
        m_disable2 = new QCheckBox(this);
        m_disable3 = new QCheckBox(this);
        DialogTexts::tag(m_disable2, disable2Box);
        DialogTexts::tag(m_disable3, disable3Box);
        grid->addWidget(m_disable2, 1, 2);
        grid->addWidget(m_disable3, 2, 2);
        // The reference table starts with both options disabled.
        if (k.id == MotionKind::Id::Reference) {
            m_disable2->setChecked(true);
            m_disable3->setChecked(true);
        }
        connect(m_disable2, &QCheckBox::toggled, this, &MotionWindow::onDisableToggled);
        connect(m_disable3, &QCheckBox::toggled, this, &MotionWindow::onDisableToggled);
        left->addLayout(grid);
        onDisableToggled();
    }
    m_statusLine = new QLabel(this);
    m_statusLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    left->addWidget(m_statusLine);
    left->addStretch();

    auto *side = new QVBoxLayout;
    layout->addLayout(side);
    if (k.isJog()) {
        side->addWidget(addButton(plusButton));
        side->addWidget(addButton(minusButton));
        side->addWidget(addButton(stopButton));
    } else {
        side->addWidget(addButton(startButton));
        side->addWidget(addButton(abortButton));
    }
    if (k.id == MotionKind::Id::Homing)
        side->addWidget(addButton(offsetButton));
    side->addWidget(addButton(errResetButton));
    side->addSpacing(12);
    side->addWidget(addButton(terminalButton));
    side->addStretch();
    m_lamp = new QLabel(this);
    DialogTexts::tag(m_lamp, lampControl);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);
    side->addWidget(m_lamp, 0, Qt::AlignRight);
    side->addWidget(addButton(exitButton));

    if (k.isJog()) {
        connect(button(plusButton), &QPushButton::clicked, &m_exchange, &MotionExchange::startPlus);
        connect(button(minusButton), &QPushButton::clicked, &m_exchange,
                &MotionExchange::startMinus);
        connect(button(stopButton), &QPushButton::clicked, &m_exchange, &MotionExchange::stop);
    } else {
        connect(button(startButton), &QPushButton::clicked, this, &MotionWindow::startClicked);
        connect(button(abortButton), &QPushButton::clicked, &m_exchange, &MotionExchange::stop);
    }
    if (button(offsetButton))
        connect(button(offsetButton), &QPushButton::clicked, this, &MotionWindow::openOffset);
    if (button(setButton))
        connect(button(setButton), &QPushButton::clicked, this, &MotionWindow::setClicked);
    connect(button(errResetButton), &QPushButton::clicked, &m_exchange,
            &MotionExchange::errorReset);
    connect(button(terminalButton), &QPushButton::clicked, this, &MotionWindow::openTerminal);
    connect(button(exitButton), &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_exchange, &MotionExchange::changed, this, &MotionWindow::updateButtons);
    connect(&m_exchange, &MotionExchange::rowsRead, this, &MotionWindow::showRows);
    connect(&m_exchange, &MotionExchange::finished, this, [this] {
        setLampIdle(m_lamp);
        if (m_pendingResult >= 0) {
            const int result = m_pendingResult;
            m_pendingResult = -1;
            QDialog::done(result);
        }
    });

    DialogTexts::apply(this, k.dialogId);
    m_terminal = new SimpleTerminalWindow(link, this);
    connect(m_terminal, &QDialog::finished, this, [this] { m_exchange.resumePolling(); });
    updateButtons();
}

MotionWindow::~MotionWindow() = default;

QCheckBox *MotionWindow::disableBox(int controlId) const
{
    return controlId == disable2Box ? m_disable2 : controlId == disable3Box ? m_disable3 : nullptr;
}

void MotionWindow::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_exchange.setPrompt(m_prompt);
}

QPushButton *MotionWindow::addButton(int controlId)
{
    auto *b = new QPushButton(this);
    DialogTexts::tag(b, controlId);
    b->setAutoDefault(false);
    m_buttons.insert(controlId, b);
    return b;
}

void MotionWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_exchange.state() == MotionExchange::Closed) {
        m_link.open();
        m_edited.clear();
        if (m_grid)
            m_grid->applyFontRule(AppSettings::instance().english());
        m_exchange.open();
    }
}

void MotionWindow::done(int result)
{
    if (m_terminal && m_terminal->isVisible())
        m_terminal->close();
    if (m_exchange.state() == MotionExchange::Closed) {
        QDialog::done(result);
        return;
    }
    m_pendingResult = result;
    m_exchange.close();
}

void MotionWindow::onDisableToggled()
{
    // The second box takes the third with it.
    if (m_disable2->isChecked() && !m_disable3->isChecked()) {
        m_disable3->setChecked(true);
        return;
    }
    m_disable3->setEnabled(!m_disable2->isChecked());
    m_options.at(1)->setReadOnly(m_disable2->isChecked());
    m_options.at(2)->setReadOnly(m_disable3->isChecked());
}

void MotionWindow::startClicked()
{
    if (!m_exchange.kind().hasOptions()) {
        m_exchange.startPlus();
        return;
    }
    QList<QByteArray> options;
    for (QSpinBox *spin : std::as_const(m_options))
        options.append(spin->text().toLatin1());
    m_exchange.startWithOptions(options, m_disable2->isChecked(), m_disable3->isChecked());
}

void MotionWindow::setClicked()
{
    QList<QPair<int, QByteArray>> writes;
    const QList<MotionExchange::Row> rows = m_exchange.rows();
    for (int row : std::as_const(m_edited)) {
        if (row >= 0 && row < rows.size())
            writes.append({rows.at(row).number, m_grid->cellText(row, valueColumn).toLatin1()});
    }
    std::sort(writes.begin(), writes.end());
    if (m_exchange.setParameters(writes))
        m_edited.clear();
}

void MotionWindow::showRows()
{
    if (!m_grid)
        return;
    QList<QStringList> rows;
    for (const MotionExchange::Row &r : m_exchange.rows())
        rows.append(
            {QString::number(r.number), DriveText::decode(r.label), QString::fromLatin1(r.value)});
    m_grid->setRows(rows);
}

void MotionWindow::updateButtons()
{
    const MotionExchange::Enables e = m_exchange.enables();
    const auto enable = [this](int id, bool on) {
        if (QPushButton *b = button(id))
            b->setEnabled(on);
    };
    enable(startButton, e.start);
    enable(plusButton, e.start);
    enable(minusButton, e.startMinus);
    enable(stopButton, e.stop);
    enable(abortButton, e.stop);
    enable(errResetButton, e.errReset);
    enable(setButton, e.set);
    enable(offsetButton, e.set);
    enable(terminalButton, !m_exchange.busy());
    enable(exitButton, e.exit);
    if (m_exchange.state() >= MotionExchange::Poll &&
        m_exchange.state() <= MotionExchange::ErrorRead)
        toggleActivityLamp(m_lamp);
    const DriveStatus s = m_exchange.status();
    m_statusLine->setText(
        QStringLiteral("%1  %2")
            .arg(QString::number(s.word, 16).toUpper().rightJustified(8, u'0'))
            .arg(m_exchange.homeLimit().isEmpty()
                     ? QString()
                     : QStringLiteral("#358=") + QString::fromLatin1(m_exchange.homeLimit())));
}

void MotionWindow::openTerminal()
{
    m_exchange.whenIdle([this] { m_terminal->openBeside(); });
}

void MotionWindow::openOffset()
{
    m_exchange.whenIdle([this] {
        HomeOffsetWindow offset(m_link, this);
        offset.setPrompt(m_prompt == m_dialogPrompt.get() ? nullptr : m_prompt);
        offset.exec();
        m_exchange.resumePolling();
    });
}
