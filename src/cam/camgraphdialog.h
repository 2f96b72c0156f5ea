#pragma once

#include "camprofile.h"

#include <QDialog>
#include <QList>

#include <functional>

class COrvex32Ctrl;
class QLabel;
class QPrinter;

// "Graph" (dialog 228): a cam profile as position (−1 … 1), velocity and
// acceleration (−6 … 6) on the graph control, its title and the velocity
// and acceleration items beside the plots; Print prints the graph, Paint
// draws it again.
class CamGraphDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CamGraphDialog(QWidget *parent = nullptr);

    void setProfile(const CamProfile &profile);
    COrvex32Ctrl *graph() const { return m_graph; }
    // The values beside the plots: the title, then Vs … Amin.
    QString readout(int row) const;

    // Asks for the printer (tests answer it); false cancels the print.
    void setPrinterChooser(std::function<bool(QPrinter &, QWidget *)> chooser)
    {
        m_choosePrinter = std::move(chooser);
    }
    bool print();

private:
    COrvex32Ctrl *m_graph;
    QList<QLabel *> m_values;
    std::function<bool(QPrinter &, QWidget *)> m_choosePrinter;
};
