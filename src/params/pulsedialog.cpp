#include "pulsedialog.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "pulsesettings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace {
constexpr std::array<int, 4> listIds = {1065, 1090, 1093, 1091};
const char *const fallbackLabels[4] = {"座標系正方向設定", "指令ﾊﾟﾙｽﾀｲﾌﾟ", "ﾓﾆﾀﾊﾟﾙｽﾀｲﾌﾟ",
                                       "簡易ｽｹｰﾘﾝｸﾞ重み付けﾃﾞｰﾀ"};
} // namespace

PulseDialog::PulseDialog(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_prompt(std::make_unique<DialogPrompt>(this))
    , m_settings(std::make_unique<PulseSettings>(link, m_prompt.get()))
    , m_set(new QPushButton(QStringLiteral("設定(&S)"), this))
    , m_close(new QPushButton(QStringLiteral("閉じる(&X)"), this))
    , m_lamp(new QLabel(this))
{
    DialogTexts::tag(m_set, 1089);
    DialogTexts::tag(m_close, 1);
    DialogTexts::tag(m_lamp, 1047);
    m_set->setAutoDefault(false);
    m_close->setAutoDefault(false);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);

    auto *layout = new QGridLayout(this);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(QString::fromUtf8(fallbackLabels[i]), this);
        DialogTexts::tag(label, 1501 + i);
        auto *list = new QComboBox(this);
        DialogTexts::tag(list, listIds[i]);
        list->setMinimumWidth(140);
        list->setEnabled(false);
        m_lists[i] = list;
        layout->addWidget(label, i, 0);
        layout->addWidget(list, i, 1);
        connect(list, &QComboBox::currentIndexChanged, this, [this, i](int index) {
            m_settings->select(i, index);
            updateButtons();
        });
    }
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_lamp);
    buttons->addStretch(1);
    buttons->addWidget(m_set);
    buttons->addWidget(m_close);
    layout->addLayout(buttons, 4, 0, 1, 2);

    connect(m_set, &QPushButton::clicked, m_settings.get(), &PulseSettings::set);
    connect(m_close, &QPushButton::clicked, this, [this] { finish(QDialog::Rejected); });
    connect(m_settings.get(), &PulseSettings::listsFilled, this, &PulseDialog::fillLists);
    connect(m_settings.get(), &PulseSettings::busyChanged, this, &PulseDialog::updateButtons);
    connect(m_settings.get(), &PulseSettings::stepped, this,
            [this] { toggleActivityLamp(m_lamp); });
    connect(m_settings.get(), &PulseSettings::lampIdle, this, [this] { setLampIdle(m_lamp); });
    connect(m_settings.get(), &PulseSettings::finished, this,
            [this] { finish(QDialog::Accepted); });
    DialogTexts::apply(this, 158);
}

PulseDialog::~PulseDialog() = default;

void PulseDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_settings->isOpen())
        return;
    for (QComboBox *list : m_lists) {
        const QSignalBlocker quiet(list);
        list->clear();
        list->setEnabled(false);
    }
    m_settings->open();
    updateButtons();
}

void PulseDialog::fillLists()
{
    for (int i = 0; i < 4; ++i) {
        QComboBox *list = m_lists[i];
        const QSignalBlocker quiet(list);
        list->clear();
        list->addItems(PulseSettings::entries(i));
        // A value outside the list shows no entry.
        list->setCurrentIndex(m_settings->selection(i));
    }
    updateButtons();
}

void PulseDialog::updateButtons()
{
    const bool busy = m_settings->isBusy();
    const bool filled = m_lists[0]->count() > 0;
    for (QComboBox *list : m_lists)
        list->setEnabled(!busy && filled);
    m_set->setEnabled(!busy && m_settings->canSet());
    m_close->setEnabled(!busy);
}

void PulseDialog::reject()
{
    if (m_settings->isBusy())
        return;
    finish(QDialog::Rejected);
}

void PulseDialog::finish(int result)
{
    m_settings->close();
    done(result);
}
