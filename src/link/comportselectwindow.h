#pragma once

#include <QWidget>

#include <array>

class DriveLink;
class LinkOwner;
class PortMap;
class ProfileStore;
class QLineEdit;
class QRadioButton;

// "ComPortSelect": COM1-COM8, each beside the device path it stands for on
// this machine. Choosing a number closes the port and opens the new one;
// editing a path changes what that number means.
class ComPortSelectWindow : public QWidget
{
    Q_OBJECT
public:
    ComPortSelectWindow(DriveLink &link, PortMap &map, ProfileStore *profile, LinkOwner *mainWindow,
                        QWidget *parent = nullptr);

    static constexpr std::array<int, 8> ButtonIds{1028, 1029, 1037, 1038, 1039, 1040, 1041, 1042};

    // Configures the link for the stored port and selects its button.
    void initialise(int storedPort);
    // A click on COM n.
    void choose(int comPort);
    int selected() const;

private:
    void pathEdited(int comPort);

    DriveLink &m_link;
    PortMap &m_map;
    ProfileStore *m_profile;
    LinkOwner *m_mainWindow;
    std::array<QRadioButton *, 8> m_buttons{};
    std::array<QLineEdit *, 8> m_paths{};
};
