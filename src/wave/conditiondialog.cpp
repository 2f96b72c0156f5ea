#include "conditiondialog.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "link/drivetext.h"
#include "logconditions.h"
#include "monitoritemtable.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace {

constexpr int ChannelButtons[] = {1104, 1105, 1106, 1107};
constexpr int ChannelMarks[] = {1010, 1011, 1012, 1013};
constexpr int SourceLists[] = {105, 106, 107, 108};
constexpr int MarkBitmaps[] = {165, 166, 163, 167};
constexpr int HiddenMark = 164;

template <typename W> W *tagged(W *widget, int controlId)
{
    DialogTexts::tag(widget, controlId);
    return widget;
}

QGroupBox *group(int controlId, QWidget *parent)
{
    return tagged(new QGroupBox(parent), controlId);
}

} // namespace

ConditionDialog::ConditionDialog(QWidget *parent)
    : QDialog(parent)
    , m_free(tagged(new QRadioButton(this), 1067))
    , m_single(tagged(new QRadioButton(this), 1068))
    , m_rise(tagged(new QRadioButton(this), 1069))
    , m_fall(tagged(new QRadioButton(this), 1070))
    , m_triggerSource(tagged(new QComboBox(this), 102))
    , m_level(tagged(new QSpinBox(this), 1066))
    , m_triggerPosition(tagged(new QComboBox(this), 103))
    , m_time(tagged(new QComboBox(this), 104))
    , m_testMode(tagged(new QPushButton(this), 1103))
    , m_coin(tagged(new QPushButton(this), 1024))
    , m_start(tagged(new QPushButton(this), 1))
    , m_cancel(tagged(new QPushButton(this), 2))
{
    QGroupBox *sources = group(1501, this);
    auto *sourceGrid = new QGridLayout(sources);
    for (int c = 0; c < 4; ++c) {
        m_channels[c] = tagged(new QPushButton(sources), ChannelButtons[c]);
        m_channels[c]->setAutoDefault(false);
        m_marks[c] = tagged(new QLabel(sources), ChannelMarks[c]);
        m_marks[c]->setFixedSize(7, 17);
        m_sources[c] = tagged(new QComboBox(sources), SourceLists[c]);
        m_sources[c]->setMinimumContentsLength(26);
        m_sources[c]->setMaxVisibleItems(20);
        sourceGrid->addWidget(m_marks[c], c, 0);
        sourceGrid->addWidget(m_channels[c], c, 1);
        sourceGrid->addWidget(m_sources[c], c, 2);
        connect(m_channels[c], &QPushButton::clicked, this, [this, c] {
            m_shown[c] = !m_shown[c];
            showMarks();
        });
    }

    QGroupBox *mode = group(1502, this);
    auto *modeLayout = new QVBoxLayout(mode);
    modeLayout->addWidget(m_free);
    modeLayout->addWidget(m_single);
    QGroupBox *edge = group(1503, this);
    auto *edgeLayout = new QVBoxLayout(edge);
    edgeLayout->addWidget(m_rise);
    edgeLayout->addWidget(m_fall);

    m_level->setRange(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    m_level->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_level->setAlignment(Qt::AlignRight);
    QGroupBox *trigger = group(1504, this);
    auto *triggerGrid = new QGridLayout(trigger);
    triggerGrid->addWidget(tagged(new QLabel(trigger), 1505), 0, 0);
    triggerGrid->addWidget(m_triggerSource, 0, 1);
    triggerGrid->addWidget(tagged(new QLabel(trigger), 1506), 1, 0);
    triggerGrid->addWidget(m_level, 1, 1);
    triggerGrid->addWidget(tagged(new QLabel(trigger), 1507), 2, 0);
    triggerGrid->addWidget(m_triggerPosition, 2, 1);

    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(tagged(new QLabel(this), 1508));
    timeRow->addWidget(m_time);
    timeRow->addWidget(tagged(new QLabel(this), 1509));
    timeRow->addStretch();

    QGroupBox *easy = group(1510, this);
    auto *easyLayout = new QHBoxLayout(easy);
    easyLayout->addWidget(m_testMode);
    easyLayout->addWidget(m_coin);
    for (QPushButton *b : {m_testMode, m_coin, m_cancel})
        b->setAutoDefault(false);
    m_start->setDefault(true);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto *layout = new QGridLayout(this);
    layout->addWidget(sources, 0, 0, 1, 3);
    layout->addLayout(buttons, 0, 3, 2, 1);
    layout->addWidget(mode, 1, 0);
    layout->addWidget(edge, 1, 1);
    layout->addWidget(trigger, 1, 2);
    layout->addLayout(timeRow, 2, 0, 1, 2);
    layout->addWidget(easy, 2, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const char *name : {"CH1", "CH2", "CH3", "CH4"})
        m_triggerSource->addItem(QString::fromLatin1(name));
    for (int p = 0; p < WaveScale::PositionsBeforeTrigger; ++p)
        m_triggerPosition->addItem(QString::number(p));
    for (int t = 0; t < WaveScale::TimeEntries; ++t)
        m_time->addItem(QString::fromLatin1(WaveScale::timeText(t)));

    connect(m_testMode, &QPushButton::clicked, this, [this] { applyPreset(1103); });
    connect(m_coin, &QPushButton::clicked, this, [this] { applyPreset(1024); });
    connect(m_start, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    DialogTexts::apply(this, 254);
}

QComboBox *ConditionDialog::list(int controlId) const
{
    switch (controlId) {
    case 102:
        return m_triggerSource;
    case 103:
        return m_triggerPosition;
    case 104:
        return m_time;
    default:
        break;
    }
    for (int c = 0; c < 4; ++c) {
        if (SourceLists[c] == controlId)
            return m_sources[c];
    }
    return nullptr;
}

QPushButton *ConditionDialog::button(int controlId) const
{
    for (QPushButton *b : {m_testMode, m_coin, m_start, m_cancel}) {
        if (DialogTexts::controlId(b) == controlId)
            return b;
    }
    for (int c = 0; c < 4; ++c) {
        if (ChannelButtons[c] == controlId)
            return m_channels[c];
    }
    return nullptr;
}

QRadioButton *ConditionDialog::radio(int controlId) const
{
    for (QRadioButton *r : {m_free, m_single, m_rise, m_fall}) {
        if (DialogTexts::controlId(r) == controlId)
            return r;
    }
    return nullptr;
}

void ConditionDialog::load()
{
    DialogTexts::apply(this, 254);
    const MonitorItemTable &table = MonitorItemTable::instance();
    const LogConditions &c = LogConditions::edited();
    for (int i = 0; i < 4; ++i) {
        QComboBox *list = m_sources[i];
        list->clear();
        for (const MonitorItem &item : table.items())
            list->addItem(DriveText::decode(item.text).trimmed());
        list->setCurrentIndex(c.sourceIndex[i] < list->count() ? c.sourceIndex[i] : -1);
    }
    m_shown = c.channelShown;
    (c.singleMode ? m_single : m_free)->setChecked(true);
    (c.riseEdge ? m_rise : m_fall)->setChecked(true);
    m_triggerSource->setCurrentIndex(qBound(0, int(c.triggerChannel), 3));
    m_level->setValue(c.triggerLevel);
    m_triggerPosition->setCurrentIndex(qBound(0, int(c.triggerPosition), 10));
    m_time->setCurrentIndex(qBound(0, int(c.timeIndex), WaveScale::TimeEntries - 1));
    showMarks();
}

void ConditionDialog::applyPreset(int controlId)
{
    static const QByteArrayList testMode{"#319", "#365", "#369", "#322"};
    static const QByteArrayList coin{"#328", "#365", "#369", "#322"};
    const QByteArrayList &keys = controlId == 1024 ? coin : testMode;
    LogConditions &c = LogConditions::edited();
    c.applyPresetScales();
    const MonitorItemTable &table = MonitorItemTable::instance();
    for (int i = 0; i < 4; ++i) {
        // A key no item holds keeps the channel's source as it was.
        const int index = table.indexContaining(keys.at(i));
        if (index >= 0)
            c.sourceIndex[i] = quint16(index);
        else if (m_sources[i]->currentIndex() >= 0)
            c.sourceIndex[i] = quint16(m_sources[i]->currentIndex());
    }
    load();
}

void ConditionDialog::showMarks()
{
    for (int c = 0; c < 4; ++c)
        m_marks[c]->setPixmap(LampImages::masked(m_shown[c] ? MarkBitmaps[c] : HiddenMark));
}

void ConditionDialog::accept()
{
    LogConditions &c = LogConditions::edited();
    for (int i = 0; i < 4; ++i) {
        if (m_sources[i]->currentIndex() >= 0)
            c.sourceIndex[i] = quint16(m_sources[i]->currentIndex());
    }
    c.channelShown = m_shown;
    c.singleMode = m_single->isChecked();
    c.riseEdge = m_rise->isChecked();
    c.triggerChannel = quint16(m_triggerSource->currentIndex());
    c.triggerLevel = m_level->value();
    c.triggerPosition = quint16(m_triggerPosition->currentIndex());
    c.timeIndex = quint16(m_time->currentIndex());
    QDialog::accept();
}
