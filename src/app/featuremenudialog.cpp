#include "featuremenudialog.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/linkhold.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int exitButton = 1;
} // namespace

FeatureMenuDialog::FeatureMenuDialog(QWidget *parent)
    : QDialog(parent)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
{}

void FeatureMenuDialog::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    promptChanged(prompt);
}

QPushButton *FeatureMenuDialog::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

QLabel *FeatureMenuDialog::addLamp()
{
    m_lamp = makeActivityLamp(this);
    return m_lamp;
}

QGridLayout *FeatureMenuDialog::layOutMenu(const QList<Operation> &operations)
{
    QLabel *lamp = addLamp();
    auto *column = new QVBoxLayout;
    for (const Operation &operation : operations) {
        QPushButton *button = addButton(operation.controlId);
        connect(button, &QPushButton::clicked, this, operation.run);
        column->addWidget(button);
    }
    QPushButton *exit = addButton(exitButton);
    exit->setDefault(true);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->addLayout(column, 0, 0, 2, 1);
    layout->addWidget(lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(exit, 1, 1, Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

void FeatureMenuDialog::enableButtons(bool enable)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(enable);
}

void FeatureMenuDialog::focusExit()
{
    if (QPushButton *exit = m_buttons.value(exitButton))
        exit->setFocus();
}

void FeatureMenuDialog::setBusy(bool busy)
{
    enableButtons(!busy);
    if (!busy)
        focusExit();
}

void FeatureMenuDialog::opened()
{
    setBusy(false);
}

void FeatureMenuDialog::showEvent(QShowEvent *event)
{
    // Each opening starts with the link taken and the lamp dark.
    if (m_hold && !m_hold->isHeld()) {
        m_hold->take();
        setLampIdle(m_lamp);
        opened();
    }
    QDialog::showEvent(event);
}

void FeatureMenuDialog::done(int result)
{
    if (m_hold)
        m_hold->release();
    QDialog::done(result);
}

void FeatureMenuDialog::reject()
{
    if (isExchangeBusy())
        return;
    QDialog::reject();
}
