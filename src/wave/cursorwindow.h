#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QRadioButton;
class QPushButton;

// The viewer's cursors, kept for the whole run and in the profile.
struct CursorSettings
{
    bool shown = false;     // drawn, and clicks place them
    int type = 0;           // 0: time cursors T1/T2, 1: level cursors H1/H2
    int select = 1;         // the cursor a click moves: 1, 2, or 3 for both
    int source = 0;         // the channel whose scale the level readout uses
    int t1X = -1, t2X = -1; // pixels from the plot's left edge (-1: not placed yet)
    int h1Y = -1, h2Y = -1; // pixels from the top of the graph control
    bool windowShown = true;

    static CursorSettings &instance();
};

// "Cursor" (dialog 176): the cursor type, which cursor a click moves, the
// channel of the level readout, and ON/OFF. A modeless tool window beside
// the viewer; every change leaves by changed().
class CursorWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CursorWindow(QWidget *viewer);

    QRadioButton *radio(int controlId) const;
    QComboBox *sourceList() const { return m_source; }
    QPushButton *button(int controlId) const;

    // Checks the buttons from the settings.
    void sync();

Q_SIGNALS:
    void changed();
    // ON (true) or OFF (false).
    void switched(bool on);
    // The window's close box.
    void closedByUser();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Escape closes the window as its close box does.
    void reject() override { close(); }

private:
    void captionSelects();

    QRadioButton *m_time;
    QRadioButton *m_level;
    QRadioButton *m_selects[3];
    QGroupBox *m_sourceGroup;
    QComboBox *m_source;
    QPushButton *m_on;
    QPushButton *m_off;
};
