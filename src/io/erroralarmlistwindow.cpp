#include "erroralarmlistwindow.h"

#include "app/dialogtexts.h"
#include "erroralarmmonitor.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ErrorAlarmListWindow::ErrorAlarmListWindow(ErrorAlarmMonitor &monitor, QWidget *parent)
    : QDialog(parent)
    , m_monitor(monitor)
    , m_list(new QListWidget(this))
    , m_update(new QPushButton(QStringLiteral("Update(&F)"), this))
{
    DialogTexts::tag(m_list, 1072);
    DialogTexts::tag(m_update, 1218);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    DialogTexts::tag(ok, 1);
    ok->setDefault(true);
    m_update->setAutoDefault(false);
    m_list->setMinimumSize(340, 160);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_update);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_update, &QPushButton::clicked, &m_monitor, &ErrorAlarmMonitor::refreshWindowList);
    connect(&m_monitor, &ErrorAlarmMonitor::windowMessagesChanged, this,
            &ErrorAlarmListWindow::showMessages);
    DialogTexts::apply(this, 221);
}

void ErrorAlarmListWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_monitor.refreshWindowList();
}

void ErrorAlarmListWindow::showMessages()
{
    m_list->clear();
    m_list->addItems(m_monitor.windowMessages());
}
