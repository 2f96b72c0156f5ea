#pragma once

#include "link/boundedlinelist.h"
#include "link/terminalclient.h"

#include <QByteArray>
#include <QObject>

class TerminalSession;

// The exchange of the "Parameter/Monitor help" window: pages through the help
// text the drive supplies, parameter and monitor help (@42:page) or command
// help (@41:page), through Terminal mode's listing path. Each line is
// acknowledged with R0P until R00 ends the page.
class HelpPager : public QObject, public TerminalClient
{
    Q_OBJECT
public:
    enum Kind { ParameterHelp = 1, CommandHelp = 2 };
    // The page text is kept in a list of capacity 11, which holds the
    // newest 21 lines of a long page.
    static constexpr int PageCapacity = 11;
    // A page this long may have a successor.
    static constexpr int FullPageLines = 10;

    HelpPager(TerminalSession &terminal, Kind kind, QObject *parent = nullptr);
    ~HelpPager() override;

    Kind kind() const { return m_kind; }
    QByteArray command() const;
    int page() const { return m_page; }
    // The page as shown, lines joined by CR LF.
    QString text() const;
    const BoundedLineList &lines() const { return m_lines; }
    bool isReceiving() const { return m_receiving; }
    bool prevEnabled() const { return m_prevEnabled; }
    bool nextEnabled() const { return m_nextEnabled; }

    void next();
    void prev();

    // Laid out for the window: an R1Z line's command padded to 7 columns
    // (a longer one keeps a blank before its description),
    // an R2Z line's key as "#" and the number right-aligned in three places.
    static QByteArray formatLine(const QByteArray &line);
    static QByteArray layoutKey(const QByteArray &key);

    void start() override;
    void stop() override;
    void onTerminalReply(const QByteArray &line) override;
    void onTerminalTimeout() override;

Q_SIGNALS:
    void textChanged();
    void buttonsChanged();

private:
    void requestPage();
    void pageEnded();

    TerminalSession &m_terminal;
    const Kind m_kind;
    int m_page = 1;
    int m_pageLines = 0;
    BoundedLineList m_lines{PageCapacity};
    bool m_receiving = false;
    bool m_resetting = false;
    bool m_prevEnabled = false;
    bool m_nextEnabled = false;
};
