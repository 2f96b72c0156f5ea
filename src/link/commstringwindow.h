#pragma once

#include <QWidget>

class DriveLink;
class QPlainTextEdit;

// "Communication string": the traffic log, every line sent ("-> ") and
// received (" <- "), the newest 28 shown.
class CommStringWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CommStringWindow(DriveLink &link, QWidget *parent = nullptr);

    QString shownText() const;

private:
    void refresh();

    DriveLink &m_link;
    QPlainTextEdit *m_text;
};
