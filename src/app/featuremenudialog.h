#pragma once

#include "app/lampimages.h"
#include "app/userprompt.h"

#include <QDialog>
#include <QHash>
#include <QList>

#include <functional>
#include <memory>

class LinkHold;
class QGridLayout;
class QLabel;
class QPushButton;

// What the feature windows that talk to the drive share: their buttons by
// control number (Exit is 1), the prompt (message boxes unless a test brings
// its own), the activity lamp, and the busy state that disables every button
// while an exchange runs. A window that owns its exchange hands over its
// LinkHold: the link is taken when the window is shown and given back when it
// closes.
class FeatureMenuDialog : public QDialog
{
    Q_OBJECT
public:
    // What the window and its exchanges ask goes to this prompt (tests script
    // it); nullptr gives the message boxes back.
    void setPrompt(UserPrompt *prompt);

    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    QLabel *lamp() const { return m_lamp; }

    // Closing gives the link back: the link is reset and the exchange popped,
    // so the window below owns it again.
    void done(int result) override;
    // Escape and the close box do nothing while an exchange runs.
    void reject() override;

protected:
    explicit FeatureMenuDialog(QWidget *parent);

    // The chosen prompt, or the window's own message boxes.
    UserPrompt &prompt() const { return *m_prompt; }
    // The prompt has changed (`given` is what the caller passed): the window
    // passes it on to its exchanges and the windows it opens.
    virtual void promptChanged(UserPrompt *given) = 0;
    virtual bool isExchangeBusy() const = 0;
    // The window has been shown and has tried to take the link. By default
    // every button is made ready.
    virtual void opened();
    // Enables or disables every button; ready again, the focus goes to Exit.
    virtual void setBusy(bool busy);

    QPushButton *addButton(int controlId);
    QLabel *addLamp();
    // A button of a menu and what a click on it does.
    struct Operation
    {
        int controlId;
        std::function<void()> run;
    };
    // The menu: the operations' buttons in a column, the lamp at the top
    // right and Exit (the default button; it closes the window) at the bottom
    // right. The window keeps to its size; what it adds goes into the grid.
    QGridLayout *layOutMenu(const QList<Operation> &operations);
    // The hold (declared after its exchange, so that it goes first) that
    // makes the exchange the link's owner while the window is open.
    void setLinkHold(LinkHold *hold) { m_hold = hold; }
    // Busy disables the window, and the lamp follows the exchange's traffic.
    template <typename Exchange> void follow(Exchange &exchange)
    {
        connect(&exchange, &Exchange::busyChanged, this, &FeatureMenuDialog::setBusy);
        if (m_lamp)
            followActivity(m_lamp, &exchange);
    }
    void enableButtons(bool enable);
    void focusExit();

    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    LinkHold *m_hold = nullptr;
    QHash<int, QPushButton *> m_buttons;
    QLabel *m_lamp = nullptr;
};
