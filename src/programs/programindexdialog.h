#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDialog>

class QLabel;
class QPlainTextEdit;

// "Program Index" (dialog 214): the drive's registered programs, one
// "%3s:%4s" line each (number, block count), and the free block count under
// "Remain Block:".
class ProgramIndexDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgramIndexDialog(QWidget *parent = nullptr);

    // The lines as the listing built them (CR LF at the end of each).
    void setIndex(const QByteArrayList &lines, const QByteArray &freeBlocks);
    QString text() const;
    QString freeBlocks() const;

private:
    QPlainTextEdit *m_list;
    QLabel *m_free;
};
