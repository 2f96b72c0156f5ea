#pragma once

#include "link/linkowner.h"

#include <QDialog>
#include <QHash>

#include <functional>

class CommModeWindow;
class CommStringWindow;
class ComPortSelectWindow;
class DriveLink;
class PortMap;
class ProfileStore;
class QPushButton;
class StartupQuery;

// The main window: the feature buttons, the three link tool windows, and the
// bottom owner of the link, which asks the drive its start-up questions.
class MainMenuWindow : public QDialog, public LinkOwner
{
    Q_OBJECT
public:
    // A feature dialog is built once, on first use, and reused afterwards.
    using DialogFactory = std::function<QDialog *(QWidget *parent)>;

    struct Options
    {
        bool splash = true;
        bool toolWindows = true;
    };

    MainMenuWindow(DriveLink &link, PortMap &portMap, ProfileStore *profile,
                   QWidget *parent = nullptr);
    ~MainMenuWindow() override;

    static MainMenuWindow *instance();

    // The start-up sequence of the window; run once before exec().
    void initialise(const Options &options);

    // Runs the window modally; when it ends with Exit (OK) or the close box
    // (Cancel) the exit entries of the profile are written.
    int runUntilClosed();

    void setFeature(int controlId, DialogFactory factory);
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    StartupQuery *startupQuery() const { return m_query; }
    CommModeWindow *commModeWindow() const { return m_commMode; }
    ComPortSelectWindow *portChooser() const { return m_portChooser; }
    CommStringWindow *trafficWindow() const { return m_traffic; }
    bool commModeShown() const { return m_commModeShown; }

    void showVersion();
    // Opens the feature behind a button as a user click does.
    void openFeature(int controlId);

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QPushButton *addButton(int controlId, const char *fallback);
    void showPortError(const QString &message);

    DriveLink &m_link;
    PortMap &m_portMap;
    ProfileStore *m_profile;
    StartupQuery *m_query;
    QHash<int, QPushButton *> m_buttons;
    QHash<int, DialogFactory> m_factories;
    QHash<int, QDialog *> m_dialogs;
    CommModeWindow *m_commMode = nullptr;
    ComPortSelectWindow *m_portChooser = nullptr;
    CommStringWindow *m_traffic = nullptr;
    bool m_commModeShown = false;
    bool m_versionShownOnce = false;
};

// Hides or shows the "Communication mode" window while an exchange runs,
// but only when it was shown at start.
void showCommModeWindow(bool show);
