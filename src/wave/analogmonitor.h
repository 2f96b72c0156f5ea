#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class DriveLink;
class UserPrompt;

// The texts and arithmetic of the analog monitor window: the gain lists of
// the two monitor outputs and the sensitivities they give at 6.55 V.
namespace AnalogMonitorTables {

constexpr int VelocityGains = 9;
constexpr int AnalogQuantities = 6;

// "6.55[v]/   32,768 [digit]" … "6.55[v]/      128 [digit]".
QStringList velocityGainTexts();
// The gain list and its caption string (263 … 266) for an analog quantity.
QStringList analogGainTexts(int quantity);
int analogGainCaption(int quantity);
// The parameter that holds the gain of an analog quantity (71 … 74).
int gainParameter(int quantity);

// The full scale of a gain entry: digits, pulses or pulses per second at 6.55 V.
qint64 velocityFullScale(int gainIndex);
qint64 analogFullScale(int quantity, int gainIndex);

// The read-only fields (1014, 1119, 1122, 1123). Parameter 356 gives the
// digits of one revolution (or metre) per second; a drive that reports 0
// shows zeros rather than dividing by it.
QByteArray sensitivityText(qint32 digitsPerUnit, bool linear);
QByteArray velocityPerFullScaleText(qint32 digitsPerUnit, int gainIndex, bool linear);
QByteArray velocityPerVoltText(qint32 digitsPerUnit, int gainIndex, bool linear);
QByteArray analogPerVoltText(int quantity, int gainIndex);

} // namespace AnalogMonitorTables

// The analog monitor's exchange: reads the eight parameters that choose the
// two outputs' quantities and gains (#69, #356, #75, #70, #71 … #74, one
// after the other) and writes the edited choice back (#69, #75, #70 and the
// gain of the chosen quantity), then reads everything again. Every command
// is answered or times out: a write is acknowledged by any reply beginning
// "R00", an "ALM" or "ERR" reply ends the sequence with a message, and a
// stray line re-arms the reply timer rather than waiting without one.
class AnalogMonitorExchange : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    // The parameters in the order they are read.
    static constexpr std::array<int, 8> ReadOrder{69, 356, 75, 70, 71, 72, 73, 74};

    struct Values
    {
        std::array<qint32, 8> read{}; // by ReadOrder

        qint32 value(int parameter) const;
        void setValue(int parameter, qint32 value);
        // The gain of the chosen analog quantity and its parameter.
        qint32 analogGain() const { return value(AnalogMonitorTables::gainParameter(value(70))); }
        void setAnalogGain(qint32 gain)
        {
            setValue(AnalogMonitorTables::gainParameter(value(70)), gain);
        }
        bool operator==(const Values &) const = default;
    };

    AnalogMonitorExchange(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    // Reads the eight parameters.
    void readAll();
    // Writes the edited choice, then reads everything again.
    void write(const Values &edited);
    // Stops the reply timer (the window closes).
    void close();

    bool isBusy() const { return m_step >= 0; }
    const Values &values() const { return m_values; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    void busyChanged(bool busy);
    // All eight parameters were read.
    void valuesRead();
    void lampToggled();

private:
    enum class Phase { Reading, Writing };

    void sendStep();
    void finish(bool read);

    DriveLink &m_link;
    UserPrompt *m_prompt;
    Phase m_phase = Phase::Reading;
    int m_step = -1; // -1: nothing outstanding
    Values m_values;
    Values m_incoming;
    QList<std::pair<int, qint32>> m_writes;
};
