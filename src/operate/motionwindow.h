#pragma once

#include "motionexchange.h"

#include <QDialog>
#include <QHash>
#include <QSet>

#include <memory>

class DriveLink;
class ParameterGrid;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class SimpleTerminalWindow;
class UserPrompt;

// One motion window: homing (256), signal search (257), jog (258), index
// type A (259) and B (260), and the reference compensation table (261). The
// window shows what its MotionExchange reports and forwards its buttons;
// the parameter grid holds the rows the motion uses, edited through the
// value box and written back with Set.
class MotionWindow : public QDialog
{
    Q_OBJECT
public:
    MotionWindow(DriveLink &link, MotionKind::Id kind, QWidget *parent = nullptr);
    ~MotionWindow() override;

    void setPrompt(UserPrompt *prompt);

    MotionExchange &exchange() { return m_exchange; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    ParameterGrid *grid() const { return m_grid; }
    QLineEdit *valueBox() const { return m_valueBox; }
    QSpinBox *option(int index) const { return m_options.value(index); }
    QCheckBox *disableBox(int controlId) const;
    QLineEdit *measuredBox() const { return m_measured; }

    // Exit, Escape and the close box stop a running motion first; the
    // window closes once the drive has answered.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void updateButtons();
    void showRows();
    void onDisableToggled();
    void startClicked();
    void setClicked();
    void openTerminal();
    void openOffset();

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    MotionExchange m_exchange;
    ParameterGrid *m_grid = nullptr;
    QLineEdit *m_valueBox = nullptr;
    QLineEdit *m_measured = nullptr;
    QLabel *m_lamp = nullptr;
    QLabel *m_statusLine = nullptr;
    QList<QSpinBox *> m_options;
    QCheckBox *m_disable2 = nullptr;
    QCheckBox *m_disable3 = nullptr;
    QHash<int, QPushButton *> m_buttons;
    QSet<int> m_edited; // rows changed since the last Set
    SimpleTerminalWindow *m_terminal = nullptr;
    int m_pendingResult = -1;
};
