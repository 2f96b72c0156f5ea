#pragma once

#include "analogmonitor.h"

#include "link/simpleterminalwindow.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <memory>

class DriveLink;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UserPrompt;

// "Analog Monitor" (dialog 159): what the velocity monitor and the analog
// monitor outputs show and at which gain. The window shows the values its
// exchange read, lets them be edited, writes them with Set and restores
// them with Undo.
class AnalogMonitorWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AnalogMonitorWindow(DriveLink &link, QWidget *parent = nullptr);
    ~AnalogMonitorWindow() override;

    void setPrompt(UserPrompt *prompt);

    AnalogMonitorExchange &exchange() { return m_exchange; }
    // Lists 1067 (velocity quantity), 1095 (velocity gain), 1065 (analog
    // quantity), 1066 (analog gain).
    QComboBox *list(int controlId) const { return m_lists.value(controlId); }
    // Fields 1014, 1119, 1122, 1123 and the gain caption 1017.
    QString field(int controlId) const;
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    // The values the controls show.
    AnalogMonitorExchange::Values edited() const { return m_edited; }

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox *addList(int controlId);
    QLineEdit *addField(int controlId);
    void setBusy(bool busy);
    void showValues();
    void rebuildGains();
    void refreshFields();
    void edit();
    void undo();
    void openTerminal();

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    AnalogMonitorExchange m_exchange;
    AnalogMonitorExchange::Values m_edited;
    QHash<int, QComboBox *> m_lists;
    QHash<int, QLineEdit *> m_fields;
    QHash<int, QPushButton *> m_buttons;
    QLabel *m_gainCaption;
    QLabel *m_lamp;
    QPointer<SimpleTerminalWindow> m_terminal;
    bool m_ownsLink = false;
    bool m_showing = false;
};
