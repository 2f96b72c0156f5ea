#pragma once

#include "drivemenuexchange.h"
#include "motionkind.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class MotionWindow;
class QPushButton;
class UserPrompt;

// "DriveMenu" (dialog 147): opens the five motion windows and the reference
// table modally, and switches the driver's test-operation mode. Each motion
// window is built on first use and reused.
class DriveMenuWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DriveMenuWindow(DriveLink &link, QWidget *parent = nullptr);
    ~DriveMenuWindow() override;

    void setPrompt(UserPrompt *prompt);
    DriveMenuExchange &exchange() { return m_exchange; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    // The window behind a menu button (built when first asked for).
    MotionWindow *motionWindow(int controlId);
    // Opens the window behind a button as a click does (modal).
    void openMotion(int controlId);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void update();

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    DriveMenuExchange m_exchange;
    QHash<int, QPushButton *> m_buttons;
    QHash<int, MotionWindow *> m_windows;
};
