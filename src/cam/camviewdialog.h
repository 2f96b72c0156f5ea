#pragma once

#include "camprofile.h"

#include <QDialog>

#include <functional>

class CamTransfer;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class UserPrompt;

// "View cam profile" (dialog 225): a profile from the drive (its number,
// read by the menu's exchange) or from a cam profile file, shown by "Graph".
class CamViewDialog : public QDialog
{
    Q_OBJECT
public:
    CamViewDialog(CamTransfer &transfer, UserPrompt &prompt, QWidget *parent = nullptr);

    QRadioButton *driverButton() const { return m_driver; }
    QRadioButton *fileButton() const { return m_file; }
    QSpinBox *numberBox() const { return m_number; }
    QLineEdit *pathEdit() const { return m_path; }
    QPushButton *graphButton() const { return m_graph; }

    // Takes the profile and opens the graph (a reading first for the drive).
    void showGraph();
    // The graph window, for tests: takes the place of exec().
    void setGraphOpener(std::function<void(const CamProfile &)> opener)
    {
        m_openGraph = std::move(opener);
    }

    void reject() override;

private:
    void browse();
    void setBusy(bool busy);
    void openGraph(const CamProfile &profile);

    CamTransfer &m_transfer;
    UserPrompt &m_prompt;
    QRadioButton *m_driver;
    QRadioButton *m_file;
    QSpinBox *m_number;
    QLineEdit *m_path;
    QPushButton *m_refer;
    QPushButton *m_graph;
    QPushButton *m_exit;
    std::function<void(const CamProfile &)> m_openGraph;
    bool m_reading = false;
};
