#pragma once

#include <QDialog>

class AnalogMonitorWindow;
class DriveLink;
class QPushButton;
class ViewerWindow;

// "Oscillo Menu" (dialog 160): the waveform viewer and the analog monitor,
// each built once and opened modally.
class OscilloMenu : public QDialog
{
    Q_OBJECT
public:
    explicit OscilloMenu(DriveLink &link, QWidget *parent = nullptr);

    QPushButton *button(int controlId) const;
    ViewerWindow *viewer();
    AnalogMonitorWindow *analogMonitor();

private:
    DriveLink &m_link;
    QPushButton *m_viewerButton;
    QPushButton *m_analogButton;
    QPushButton *m_exit;
    ViewerWindow *m_viewer = nullptr;
    AnalogMonitorWindow *m_analog = nullptr;
};
