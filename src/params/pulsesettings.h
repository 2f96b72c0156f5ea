#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <array>
#include <optional>

class DriveLink;
class UserPrompt;

// The exchange of the pulse setting dialog: reads the four pulse-interface
// parameters (#202 coordinate direction, #204 command pulse type, #205
// monitor pulse type, #207 simple scaling weight), and on "Set" writes them
// back after @55 and restarts the drive with @96. It owns the link while the
// dialog is open.
class PulseSettings : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    static constexpr int ListCount = 4;
    enum State { Idle, Reading, Writing, Finished };

    PulseSettings(DriveLink &link, UserPrompt *prompt, QObject *parent = nullptr);
    ~PulseSettings() override;

    static int parameter(int list);
    // The entries of each list in their order.
    static QStringList entries(int list);
    // The entry a read value selects, or -1 when it lies outside the list:
    // the value itself for the first three lists, for the weight the number
    // of times it can be halved before it reaches 1.
    static int positionFor(int list, qint64 value);
    // The write command of a list set to an entry ("#202=1", "#207=16").
    static QByteArray writeCommand(int list, int position);

    // Takes the link and reads the four values.
    void open();
    // Gives the link back (the drive may be restarting: nothing more is
    // expected from it).
    void close();
    bool isOpen() const { return m_open; }

    State state() const { return m_state; }
    bool isBusy() const { return m_state == Reading || m_state == Writing; }
    std::optional<qint64> value(int list) const { return m_values.at(list); }
    // The entry each list shows, -1 for none.
    int selection(int list) const { return m_selection.at(list); }
    void select(int list, int position);
    // Set writes only the lists that show an entry: a value the dialog could
    // not show is left as the drive has it.
    bool canSet() const;
    void set();

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    // The four reads are over; the lists can be filled.
    void listsFilled();
    void busyChanged(bool busy);
    // One exchange step: the dialog's lamp blinks.
    void stepped();
    void lampIdle();
    // The drive was told to restart; the dialog closes.
    void finished();

private:
    void readNext();
    void writeNext();
    void setState(State state);
    void send(const QByteArray &command);

    DriveLink &m_link;
    UserPrompt *m_prompt;
    bool m_open = false;
    State m_state = Idle;
    int m_index = 0;
    std::array<std::optional<qint64>, ListCount> m_values{};
    std::array<int, ListCount> m_selection{-1, -1, -1, -1};
    QList<int> m_toWrite;
};
