#include "commmodewindow.h"

#include "app/dialogtexts.h"
#include "drivelink.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CommModeWindow::CommModeWindow(DriveLink &link, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_link(link)
    , m_single(new QRadioButton(QStringLiteral("Single channel"), this))
{
    auto *layout = new QVBoxLayout(this);
    auto *group = new QButtonGroup(this);
    DialogTexts::tag(m_single, SingleId);
    group->addButton(m_single, 0);
    layout->addWidget(m_single);

    auto *multi = new QGroupBox(QStringLiteral("Multi-channel Add"), this);
    DialogTexts::tag(multi, 1501);
    auto *grid = new QGridLayout(multi);
    for (int unit = 1; unit <= 9; ++unit) {
        auto *button = new QRadioButton(QString::number(unit), multi);
        DialogTexts::tag(button, StationIds[size_t(unit - 1)]);
        group->addButton(button, unit);
        grid->addWidget(button, (unit - 1) / 3, (unit - 1) % 3);
        m_stations[size_t(unit - 1)] = button;
    }
    layout->addWidget(multi);
    // The template carries a button without a function; it stays, disabled.
    auto *dummy = new QPushButton(QStringLiteral("Dummy"), this);
    DialogTexts::tag(dummy, 1502);
    dummy->setEnabled(false);
    dummy->hide();
    layout->addWidget(dummy);

    connect(group, &QButtonGroup::idClicked, this, &CommModeWindow::choose);
    DialogTexts::apply(this, 104);
    m_single->setChecked(true);
    m_link.setUnit(0);
}

void CommModeWindow::choose(int unit)
{
    m_link.setUnit(unit);
    if (unit == 0)
        m_single->setChecked(true);
    else
        m_stations[size_t(unit - 1)]->setChecked(true);
}
