#pragma once

#include "homeoffsetexchange.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class QLineEdit;
class QPushButton;
class SimpleTerminalWindow;
class UserPrompt;

// "Setting offset distance from the home position" (dialog 252), opened
// from the homing window: the home offset with Enter, Abort, and the
// terminal. The direction and jog buttons of the layout have no action yet
// and stay disabled.
class HomeOffsetWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HomeOffsetWindow(DriveLink &link, QWidget *parent = nullptr);
    ~HomeOffsetWindow() override;

    void setPrompt(UserPrompt *prompt);
    HomeOffsetExchange &exchange() { return m_exchange; }
    QLineEdit *offsetBox() const { return m_offset; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void update();

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    HomeOffsetExchange m_exchange;
    QLineEdit *m_offset;
    QHash<int, QPushButton *> m_buttons;
    SimpleTerminalWindow *m_terminal = nullptr;
};
