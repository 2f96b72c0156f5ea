#include "analogmonitorwindow.h"

#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "link/drivelink.h"
#include "link/simpleterminalwindow.h"
#include "resources/catalogue.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int VelocitySelect = 1067;
constexpr int VelocityGain = 1095;
constexpr int AnalogSelect = 1065;
constexpr int AnalogGain = 1066;
constexpr int SetButton = 1120;
constexpr int UndoButton = 1121;
constexpr int TerminalButton = 1062;
constexpr int ExitButton = 1;

QString string(int id)
{
    return Catalogue::instance().string(id);
}

QGroupBox *group(int controlId, QWidget *parent)
{
    auto *box = new QGroupBox(parent);
    DialogTexts::tag(box, controlId);
    return box;
}

} // namespace

AnalogMonitorWindow::AnalogMonitorWindow(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_exchange(link, *m_dialogPrompt)
    , m_gainCaption(new QLabel(this))
    , m_lamp(new QLabel(this))
{
    DialogTexts::tag(m_gainCaption, 1017);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);

    QGroupBox *velocitySelect = group(1501, this);
    (new QVBoxLayout(velocitySelect))->addWidget(addList(VelocitySelect));
    QGroupBox *velocityGain = group(1502, this);
    auto *gainLayout = new QVBoxLayout(velocityGain);
    gainLayout->addWidget(addList(VelocityGain));
    gainLayout->addWidget(addField(1119));
    gainLayout->addWidget(addField(1122));
    QGroupBox *sensitivity = group(1503, this);
    (new QVBoxLayout(sensitivity))->addWidget(addField(1014));
    QGroupBox *analog = group(1504, this);
    auto *analogLayout = new QVBoxLayout(analog);
    analogLayout->addWidget(addList(AnalogSelect));
    analogLayout->addWidget(m_gainCaption);
    analogLayout->addWidget(addList(AnalogGain));
    analogLayout->addWidget(addField(1123));

    auto *buttons = new QVBoxLayout;
    for (int id : {SetButton, UndoButton, TerminalButton, ExitButton}) {
        auto *b = new QPushButton(this);
        DialogTexts::tag(b, id);
        b->setAutoDefault(false);
        m_buttons.insert(id, b);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    buttons->addWidget(m_lamp, 0, Qt::AlignRight);

    auto *layout = new QGridLayout(this);
    layout->addWidget(velocitySelect, 0, 0);
    layout->addWidget(sensitivity, 0, 1);
    layout->addWidget(velocityGain, 1, 0, 1, 2);
    layout->addWidget(analog, 2, 0, 1, 2);
    layout->addLayout(buttons, 0, 2, 3, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (int id : {255, 256})
        m_lists.value(VelocitySelect)->addItem(string(id));
    m_lists.value(VelocityGain)->addItems(AnalogMonitorTables::velocityGainTexts());
    for (int id = 257; id <= 262; ++id)
        m_lists.value(AnalogSelect)->addItem(string(id));

    for (int id : {VelocitySelect, VelocityGain, AnalogSelect, AnalogGain})
        connect(m_lists.value(id), &QComboBox::activated, this, &AnalogMonitorWindow::edit);
    connect(m_buttons.value(SetButton), &QPushButton::clicked, this,
            [this] { m_exchange.write(m_edited); });
    connect(m_buttons.value(UndoButton), &QPushButton::clicked, this, &AnalogMonitorWindow::undo);
    connect(m_buttons.value(TerminalButton), &QPushButton::clicked, this,
            &AnalogMonitorWindow::openTerminal);
    connect(m_buttons.value(ExitButton), &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_exchange, &AnalogMonitorExchange::busyChanged, this, &AnalogMonitorWindow::setBusy);
    connect(&m_exchange, &AnalogMonitorExchange::lampToggled, this,
            [this] { toggleActivityLamp(m_lamp); });
    connect(&m_exchange, &AnalogMonitorExchange::valuesRead, this, &AnalogMonitorWindow::undo);

    DialogTexts::apply(this, 159);
}

AnalogMonitorWindow::~AnalogMonitorWindow()
{
    if (m_ownsLink) {
        m_exchange.close();
        m_link.reset();
        m_link.popOwner();
    }
}

QComboBox *AnalogMonitorWindow::addList(int controlId)
{
    auto *list = new QComboBox(this);
    DialogTexts::tag(list, controlId);
    list->setMaxVisibleItems(15);
    m_lists.insert(controlId, list);
    return list;
}

QLineEdit *AnalogMonitorWindow::addField(int controlId)
{
    auto *field = new QLineEdit(this);
    DialogTexts::tag(field, controlId);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    field->setMinimumWidth(QFontMetrics(field->font()).horizontalAdvance(QLatin1Char('0')) * 36);
    m_fields.insert(controlId, field);
    return field;
}

QString AnalogMonitorWindow::field(int controlId) const
{
    if (controlId == 1017)
        return m_gainCaption->text();
    const QLineEdit *f = m_fields.value(controlId);
    return f ? f->text() : QString();
}

void AnalogMonitorWindow::setPrompt(UserPrompt *prompt)
{
    m_exchange.setPrompt(prompt ? *prompt : *m_dialogPrompt);
}

void AnalogMonitorWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_ownsLink)
        return;
    m_ownsLink = m_link.pushOwner(&m_exchange);
    m_link.open();
    setLampIdle(m_lamp);
    m_exchange.readAll();
}

void AnalogMonitorWindow::done(int result)
{
    if (m_ownsLink) {
        if (m_terminal)
            m_terminal->close();
        m_exchange.close();
        m_link.reset();
        m_link.close();
        m_link.popOwner();
        m_ownsLink = false;
    }
    QDialog::done(result);
}

void AnalogMonitorWindow::reject()
{
    if (!m_exchange.isBusy())
        QDialog::reject();
}

void AnalogMonitorWindow::setBusy(bool busy)
{
    for (int id : {UndoButton, TerminalButton, ExitButton})
        m_buttons.value(id)->setEnabled(!busy);
    // Set waits for a change; after a failed write the edited values still differ.
    m_buttons.value(SetButton)->setEnabled(!busy && !(m_edited == m_exchange.values()));
    for (QComboBox *list : std::as_const(m_lists))
        list->setEnabled(!busy);
    if (!busy)
        setLampIdle(m_lamp);
}

void AnalogMonitorWindow::undo()
{
    m_edited = m_exchange.values();
    showValues();
    m_buttons.value(SetButton)->setEnabled(false);
}

void AnalogMonitorWindow::showValues()
{
    m_showing = true;
    m_lists.value(VelocityGain)->setCurrentIndex(m_edited.value(69));
    m_lists.value(VelocitySelect)->setCurrentIndex(m_edited.value(75));
    m_lists.value(AnalogSelect)->setCurrentIndex(m_edited.value(70));
    rebuildGains();
    m_showing = false;
    refreshFields();
}

void AnalogMonitorWindow::rebuildGains()
{
    const int quantity = qBound(0, m_edited.value(70), AnalogMonitorTables::AnalogQuantities - 1);
    m_gainCaption->setText(string(AnalogMonitorTables::analogGainCaption(quantity)));
    QComboBox *gains = m_lists.value(AnalogGain);
    gains->clear();
    gains->addItems(AnalogMonitorTables::analogGainTexts(quantity));
    gains->setCurrentIndex(m_edited.analogGain() < gains->count() ? m_edited.analogGain() : -1);
}

void AnalogMonitorWindow::refreshFields()
{
    const bool linear = AppSettings::instance().linearMotor();
    const qint32 sensitivity = m_edited.value(356);
    const int gain = m_edited.value(69);
    m_fields.value(1014)->setText(
        QString::fromLatin1(AnalogMonitorTables::sensitivityText(sensitivity, linear)));
    m_fields.value(1119)->setText(QString::fromLatin1(
        AnalogMonitorTables::velocityPerFullScaleText(sensitivity, gain, linear)));
    m_fields.value(1122)->setText(
        QString::fromLatin1(AnalogMonitorTables::velocityPerVoltText(sensitivity, gain, linear)));
    m_fields.value(1123)->setText(QString::fromLatin1(
        AnalogMonitorTables::analogPerVoltText(m_edited.value(70), m_edited.analogGain())));
}

void AnalogMonitorWindow::edit()
{
    if (m_showing)
        return;
    const int quantity = m_lists.value(AnalogSelect)->currentIndex();
    m_edited.setValue(69, m_lists.value(VelocityGain)->currentIndex());
    m_edited.setValue(75, m_lists.value(VelocitySelect)->currentIndex());
    if (quantity != m_edited.value(70)) {
        m_edited.setValue(70, quantity);
        rebuildGains();
    } else {
        m_edited.setAnalogGain(m_lists.value(AnalogGain)->currentIndex());
    }
    refreshFields();
    m_buttons.value(SetButton)->setEnabled(true);
}

void AnalogMonitorWindow::openTerminal()
{
    if (!m_terminal)
        m_terminal = new SimpleTerminalWindow(m_link, this);
    m_terminal->openBeside();
}
