#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QSpinBox;
class UserPrompt;

// "Property" (dialog 220): which edit window, which program number and
// which options an operation works on. One dialog, five modes: each mode
// sets which of the three fields can be used and the highest program number
// that OK accepts.
class ProgramPropertyDialog : public QDialog
{
    Q_OBJECT
public:
    enum Mode {
        Download = 1,   // window, number 0-89, options preset from the window
        NumberOnly = 2, // number only (delete; the manager's single transfers)
        WindowOnly = 3, // window only (open, print)
        Upload = 4,     // window, number 0-99
        Save = 5,       // window and options
    };

    explicit ProgramPropertyDialog(QWidget *parent = nullptr);

    // Mode 2 takes the highest number from the caller (89 writing, 99
    // reading); the other modes know theirs.
    void setMode(Mode mode, int highest = -1);
    Mode mode() const { return m_mode; }
    int highest() const { return m_highest; }

    int window() const;
    void setWindow(int window);
    int number() const;
    void setNumber(int number);
    // Bit 0 servo-on, bit 1 coordinate.
    quint32 options() const;
    void setOptions(quint32 options);

    // The range message goes to this prompt; nullptr: a message box.
    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }

    QComboBox *windowBox() const { return m_window; }
    QSpinBox *numberBox() const { return m_number; }
    QListWidget *optionList() const { return m_options; }

    // A number outside the mode's range is refused and the dialog stays.
    void accept() override;

private:
    Mode m_mode = WindowOnly;
    int m_highest = 89;
    QComboBox *m_window;
    QSpinBox *m_number;
    QListWidget *m_options;
    UserPrompt *m_prompt = nullptr;
};
