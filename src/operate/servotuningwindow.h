#pragma once

#include "servotuningexchange.h"

#include <QDialog>
#include <QHash>
#include <QList>

#include <memory>

class FilterWindow;
class QLabel;
class QLineEdit;
class QPushButton;
class ResponseGraphWindow;
class SimpleTerminalWindow;
class UserPrompt;

// "Servo Tuning" (dialog 239): the eleven gain fields, Enter, auto tuning,
// the driver's test mode, the filter window, the trigger and display of the
// test-mode response, and the terminal. The field that last had the focus
// is polled; a field the user is typing in is not overwritten by the poll
// until Enter has sent it or the focus has moved on.
class ServoTuningWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ServoTuningWindow(DriveLink &link, QWidget *parent = nullptr);
    ~ServoTuningWindow() override;

    void setPrompt(UserPrompt *prompt);
    ServoTuningExchange &exchange() { return m_exchange; }
    QLineEdit *field(int index) const { return m_fields.value(index); }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    FilterWindow *filterWindow() const { return m_filter; }
    ResponseGraphWindow *graphWindow() const { return m_graph; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void update();
    void enterClicked();
    void triggerClicked();
    void displayClicked();
    void openTerminal();

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    ServoTuningExchange m_exchange;
    QList<QLineEdit *> m_fields;
    QList<bool> m_typing;
    QLabel *m_inertiaUnit = nullptr;
    QLabel *m_lamp = nullptr;
    QHash<int, QPushButton *> m_buttons;
    FilterWindow *m_filter = nullptr;
    ResponseGraphWindow *m_graph = nullptr;
    SimpleTerminalWindow *m_terminal = nullptr;
    bool m_displayWanted = false;
    int m_focusNext = -1; // the field that gets the focus after Enter
};
