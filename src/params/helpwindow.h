#pragma once

#include "helppager.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class TerminalSession;

// "Parameter/Monitor help" (dialog 212) in one of its two modes: parameter
// and monitor help, or command help ("Command Help"). Its HelpPager reads
// the pages through Terminal mode.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    HelpWindow(TerminalSession &terminal, HelpPager::Kind kind, QWidget *parent = nullptr);
    ~HelpWindow() override;

    HelpPager &pager() { return *m_pager; }
    QPlainTextEdit *textBox() const { return m_text; }
    QPushButton *prevButton() const { return m_prev; }
    QPushButton *nextButton() const { return m_next; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void updateButtons();

    TerminalSession &m_terminal;
    HelpPager *m_pager;
    QPlainTextEdit *m_text;
    QPushButton *m_prev;
    QPushButton *m_next;
};
