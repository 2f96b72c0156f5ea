#pragma once

#include <QWidget>

#include <array>

class DriveLink;
class QRadioButton;

// "Communication mode": a single drive, or station 1-9 on a shared line.
class CommModeWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CommModeWindow(DriveLink &link, QWidget *parent = nullptr);

    // Identifiers of the buttons "1"…"9" (5 and 6 are swapped on purpose).
    static constexpr std::array<int, 9> StationIds{1033, 1034, 1035, 1036, 1038,
                                                   1037, 1039, 1040, 1041};
    static constexpr int SingleId = 1032;

    void choose(int unit);

private:
    DriveLink &m_link;
    QRadioButton *m_single;
    std::array<QRadioButton *, 9> m_stations{};
};
