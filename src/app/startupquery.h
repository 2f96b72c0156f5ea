#pragma once

#include "link/linkowner.h"

#include <QObject>
#include <QString>

class AppSettings;
class DriveLink;

// The five questions the main window asks the drive at start: parameter 22
// (absolute-accuracy compensation available), parameter 50 (homing option),
// the identification (firmware version), parameter 0 (linear motor) and item
// 201 (English display). It never reports errors: a silent drive leaves the
// facts at their defaults.
class StartupQuery : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum State : quint16 {
        Idle = 15,
        AskAbsAcc = 18,
        AskHoming = 19,
        AskVersion = 20,
        AskLinear = 21,
        AskEnglish = 22,
    };

    StartupQuery(DriveLink &link, AppSettings &settings, QObject *parent = nullptr);

    void start();
    State state() const { return m_state; }

    // The "AbsAccComp(&A)" button as the answers leave it.
    bool absAccVisible() const { return m_absAccVisible; }
    QString absAccText() const { return m_absAccText; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    void absAccButtonChanged(bool visible, const QString &text);
    // The last answer arrived (state 15 after item 201).
    void finished();
    // A time-out in state 18 or 19 ended the query.
    void abandoned();

private:
    void ask(State next, const QByteArray &command);

    DriveLink &m_link;
    AppSettings &m_settings;
    State m_state = Idle;
    bool m_absAccVisible = false;
    QString m_absAccText;
};
