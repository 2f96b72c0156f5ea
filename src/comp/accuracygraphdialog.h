#pragma once

#include <QByteArrayList>
#include <QDialog>

#include <functional>

class COrvex32Ctrl;
class QPrinter;
class QPushButton;

// "Abs Acc Comp Graph" (dialog 151): the absolute-accuracy table as one
// curve on the graph control, its scale ±50, ±100 or ±200; Print prints it.
class AccuracyGraphDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AccuracyGraphDialog(QWidget *parent = nullptr);

    void setEntries(const QByteArrayList &entries);
    COrvex32Ctrl *graph() const { return m_graph; }
    QPushButton *printButton() const { return m_print; }
    // Asks for the printer (tests answer it); false cancels the print.
    void setPrinterChooser(std::function<bool(QPrinter &, QWidget *)> chooser)
    {
        m_choosePrinter = std::move(chooser);
    }
    bool print();

private:
    COrvex32Ctrl *m_graph;
    QPushButton *m_print;
    std::function<bool(QPrinter &, QWidget *)> m_choosePrinter;
};
