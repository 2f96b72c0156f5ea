#pragma once

#include "viewerexchange.h"
#include "viewerfiles.h"

#include "link/simpleterminalwindow.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <memory>

class COrvex32Ctrl;
class CursorWindow;
class DriveLink;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UserPrompt;

// "Viewer" (dialog 249): the four channels of the record in the graph
// control with their scales, zero markers and show/hide buttons, Auto, the
// time and level cursors with their readouts, the files, and the logging
// buttons of the exchange it owns. While it is open the exchange is the
// link's owner.
class ViewerWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ViewerWindow(DriveLink &link, QWidget *parent = nullptr);
    ~ViewerWindow() override;

    // What the window asks goes to this prompt (tests script it); nullptr
    // gives the message boxes and the file dialog back.
    void setPrompt(UserPrompt *prompt);
    // The folder that holds "data/"; AppSettings' base directory unless set.
    void setBaseDir(const QString &dir);
    void setPollInterval(int ms) { m_exchange.setPollInterval(ms); }

    ViewerExchange &exchange() { return m_exchange; }
    ViewerFiles &files() { return m_files; }
    COrvex32Ctrl *graph() const { return m_graph; }
    CursorWindow *cursorWindow() const { return m_cursorWindow; }
    SimpleTerminalWindow *terminal() const { return m_terminal; }
    QComboBox *unitsList(int channel) const { return m_units[channel]; }
    QComboBox *positionList(int channel) const { return m_positions[channel]; }
    QPushButton *button(int controlId) const;
    QLabel *lamp(int controlId) const;
    QLabel *channelMark(int channel) const { return m_marks[channel]; }
    QLabel *zeroMarker(int k) const { return m_zeroMarkers[k - 1]; }
    QLineEdit *timeField() const { return m_time; }
    // The two readout lines ("DT      %6d ms", "1/DT %7.3f Hz" or "DH[%d] %6d unit").
    QString readout(int line) const;
    // The bitmap a lamp, mark or marker shows.
    static int bitmapOf(const QLabel *label);

    // The plot rectangle in the graph control and one division of it.
    QRect plotRect() const;
    int divWidth() const { return plotRect().width() / 10; }
    int divHeight() const { return plotRect().height() / 10; }

    // What a click on the plot at pos (graph control pixels) does.
    void placeCursor(const QPoint &pos);
    // The record and the conditions drawn again.
    void redraw();
    void autoScale();
    // The File Operation dialog (overridable for tests by setPrompt's files).
    void fileOperations();
    // The plot as PNG bytes.
    QByteArray plotPng() const;

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class CursorOverlay;

    void openViewer();
    void readProfile();
    void writeProfile();
    void fillLists();
    void selectLists();
    void scaleChannel(int channel);
    void setUnits(int channel, int index);
    void setPosition(int channel, int index);
    void toggleChannel(int channel);
    void showPass();
    void updateZeroMarkers();
    void placeZeroMarkers();
    void updateReadouts();
    void setLongNames();
    void applyFlags(bool enable);
    void setLamp(int controlId, int bitmap);
    void editConditions();
    void toggleCursorWindow(bool show);
    void cursorSwitched(bool on);
    void openTerminal();
    void wentOffline();
    void showFileTitle();
    QString baseDir() const;

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    ViewerExchange m_exchange;
    ViewerFiles m_files;
    QString m_baseDir;
    COrvex32Ctrl *m_graph;
    CursorOverlay *m_overlay;
    QWidget *m_strip;
    std::array<QLabel *, 9> m_zeroMarkers{};
    std::array<QComboBox *, 4> m_units{};
    std::array<QComboBox *, 4> m_positions{};
    std::array<QPushButton *, 4> m_channels{};
    std::array<QLabel *, 4> m_marks{};
    QLineEdit *m_time;
    std::array<QLabel *, 2> m_readouts{};
    QHash<int, QPushButton *> m_buttons;
    QHash<int, QLabel *> m_lamps;
    CursorWindow *m_cursorWindow;
    QPointer<SimpleTerminalWindow> m_terminal;
    QPoint m_lastRelease;
    bool m_ownsLink = false;
    bool m_offline = false;
};
