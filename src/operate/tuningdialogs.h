#pragma once

#include <QAbstractSpinBox>
#include <QDialog>
#include <QList>

class COrvex32Ctrl;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ServoTuningExchange;

// The arrows beside a filter value: no text of its own, each step (1 per
// line, 10 per page) reported by stepped().
class SpinArrows : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit SpinArrows(QWidget *parent = nullptr);
    void stepBy(int steps) override;

Q_SIGNALS:
    void stepped(int steps);

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

// "Filter" (dialog 240), shown beside servo tuning: the filter choice (#152)
// by radio button, the first-lag (#154) and notch (#153) frequencies by Set
// or by their spins. It sends through the servo-tuning exchange.
class FilterWindow : public QDialog
{
    Q_OBJECT
public:
    FilterWindow(ServoTuningExchange &exchange, QWidget *parent = nullptr);

    QRadioButton *choice(int index) const { return m_choices.value(index); }
    QLineEdit *firstLagBox() const { return m_firstLag; }
    QLineEdit *notchBox() const { return m_notch; }
    SpinArrows *firstLagSpin() const { return m_firstLagSpin; }
    SpinArrows *notchSpin() const { return m_notchSpin; }
    QPushButton *button(int controlId) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void spin(int item, int steps);

    ServoTuningExchange &m_exchange;
    QList<QRadioButton *> m_choices;
    QLineEdit *m_firstLag;
    QLineEdit *m_notch;
    SpinArrows *m_firstLagSpin;
    SpinArrows *m_notchSpin;
    int m_firstLagValue = 0;
    int m_notchValue = 0;
};

// "Trigger condition" (dialog 242): the start condition, the recording time
// and the trigger position of the test-mode response.
class TriggerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TriggerDialog(QWidget *parent = nullptr);

    // The values the drive takes: type 0–2, time 50/100/250/500, point
    // 9/7/5/3/1 (−4 to +4 divisions).
    int type() const { return m_type; }
    int time() const { return m_time; }
    int point() const { return m_point; }
    QComboBox *list(int controlId) const;

    void accept() override;

private:
    QList<QComboBox *> m_lists;
    int m_type = 0;
    int m_time = 50;
    int m_point = 5;
};

// "Graph" (dialog 244): the recorded test-mode response on the graph
// control, with vertical and horizontal magnification and printing.
class ResponseGraphWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ResponseGraphWindow(QWidget *parent = nullptr);

    void setResponse(const QList<double> &values);
    COrvex32Ctrl *graph() const { return m_graph; }
    QComboBox *list(int controlId) const;

private:
    void redraw();
    void print();

    COrvex32Ctrl *m_graph;
    QList<QComboBox *> m_lists;
    QList<double> m_values;
};
