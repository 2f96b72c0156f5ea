#include "cursorwindow.h"

#include "app/dialogtexts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int SelectButtons[] = {1126, 1127, 1128};

template <typename W> W *tagged(W *widget, int controlId)
{
    DialogTexts::tag(widget, controlId);
    return widget;
}

} // namespace

CursorSettings &CursorSettings::instance()
{
    static CursorSettings settings;
    return settings;
}

CursorWindow::CursorWindow(QWidget *viewer)
    : QDialog(viewer)
    , m_time(tagged(new QRadioButton(this), 1129))
    , m_level(tagged(new QRadioButton(this), 1125))
    , m_sourceGroup(tagged(new QGroupBox(this), 1503))
    , m_source(tagged(new QComboBox(this), 1065))
    , m_on(tagged(new QPushButton(this), 1132))
    , m_off(tagged(new QPushButton(this), 1133))
{
    setWindowFlag(Qt::Tool);
    setModal(false);

    auto *typeGroup = tagged(new QGroupBox(this), 1501);
    auto *typeLayout = new QHBoxLayout(typeGroup);
    typeLayout->addWidget(m_time);
    typeLayout->addWidget(m_level);

    auto *selectGroup = tagged(new QGroupBox(this), 1502);
    auto *selectLayout = new QHBoxLayout(selectGroup);
    for (int i = 0; i < 3; ++i) {
        m_selects[i] = tagged(new QRadioButton(selectGroup), SelectButtons[i]);
        selectLayout->addWidget(m_selects[i]);
        connect(m_selects[i], &QRadioButton::clicked, this, [this, i] {
            CursorSettings::instance().select = i + 1;
            Q_EMIT changed();
        });
    }

    auto *sourceLayout = new QHBoxLayout(m_sourceGroup);
    sourceLayout->addWidget(m_source);
    for (const char *name : {"CH1", "CH2", "CH3", "CH4"})
        m_source->addItem(QString::fromLatin1(name));

    auto *onOff = new QHBoxLayout;
    onOff->addWidget(m_on);
    onOff->addWidget(m_off);
    for (QPushButton *b : {m_on, m_off})
        b->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(typeGroup);
    layout->addWidget(selectGroup);
    layout->addWidget(m_sourceGroup);
    layout->addLayout(onOff);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_time, &QRadioButton::clicked, this, [this] {
        CursorSettings::instance().type = 0;
        captionSelects();
        Q_EMIT changed();
    });
    connect(m_level, &QRadioButton::clicked, this, [this] {
        CursorSettings::instance().type = 1;
        captionSelects();
        Q_EMIT changed();
    });
    connect(m_source, &QComboBox::activated, this, [this](int index) {
        CursorSettings::instance().source = index;
        Q_EMIT changed();
    });
    connect(m_on, &QPushButton::clicked, this, [this] {
        CursorSettings::instance().shown = true;
        Q_EMIT switched(true);
    });
    connect(m_off, &QPushButton::clicked, this, [this] {
        CursorSettings::instance().shown = false;
        Q_EMIT switched(false);
    });
    DialogTexts::apply(this, 176);
    sync();
}

QRadioButton *CursorWindow::radio(int controlId) const
{
    for (QRadioButton *r : {m_time, m_level, m_selects[0], m_selects[1], m_selects[2]}) {
        if (DialogTexts::controlId(r) == controlId)
            return r;
    }
    return nullptr;
}

QPushButton *CursorWindow::button(int controlId) const
{
    return controlId == 1132 ? m_on : controlId == 1133 ? m_off : nullptr;
}

void CursorWindow::captionSelects()
{
    const bool level = CursorSettings::instance().type == 1;
    // "&&" shows one ampersand.
    m_selects[0]->setText(level ? QStringLiteral("H1") : QStringLiteral("T1"));
    m_selects[1]->setText(level ? QStringLiteral("H2") : QStringLiteral("T2"));
    m_selects[2]->setText(level ? QStringLiteral("H1&&H2") : QStringLiteral("T1&&T2"));
    m_sourceGroup->setVisible(level);
}

void CursorWindow::sync()
{
    const CursorSettings &s = CursorSettings::instance();
    (s.type == 1 ? m_level : m_time)->setChecked(true);
    m_selects[qBound(1, s.select, 3) - 1]->setChecked(true);
    m_source->setCurrentIndex(qBound(0, s.source, 3));
    captionSelects();
}

void CursorWindow::showEvent(QShowEvent *event)
{
    sync();
    QDialog::showEvent(event);
}

void CursorWindow::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closedByUser();
}
