#pragma once

#include "app/lampimages.h"
#include "app/parametergrid.h"
#include "app/userprompt.h"

#include <QByteArrayList>
#include <QDialog>
#include <QHash>

#include <functional>
#include <memory>

class LinkHold;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

// What the table windows share: their buttons by control number, the prompt
// (message boxes unless a test brings its own), the activity lamp, the grid
// of numbered rows edited through a box with its Enter button, and the busy
// state that disables all of it while the window's exchange runs. A window
// that owns its exchange hands over its LinkHold: the link is taken when the
// window is shown and given back when it closes.
class TableDialog : public QDialog
{
    Q_OBJECT
public:
    // What the window and its exchange ask goes to this prompt (tests script
    // it); nullptr gives the message boxes back.
    void setPrompt(UserPrompt *prompt);

    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    ParameterGrid *grid() const { return m_grid; }
    QLineEdit *editBox() const { return m_edit; }
    QLabel *lamp() const { return m_lamp; }

    // Closing gives the link back.
    void done(int result) override;
    // Escape and the close box do nothing while an exchange runs.
    void reject() override;

    // The list cut or filled up with "0" to `count` entries.
    static QByteArrayList resized(QByteArrayList entries, int count);

protected:
    explicit TableDialog(QWidget *parent);

    UserPrompt &prompt() const { return *m_prompt; }
    // The prompt has changed: the window passes it on to its exchange.
    virtual void promptChanged(UserPrompt *given) = 0;
    // The window has been shown with the link taken.
    virtual void opened() {}

    QPushButton *addButton(int controlId);
    QLabel *addLamp();
    // The grid: column titles from the dialog's control texts, one column
    // edited through the box; a text the validator refuses gets string 189.
    void addGrid(int dialogId, const QList<QPair<int, int>> &titlesAndWidths, int editColumn,
                 ParameterGrid::Validator validator, QSize minimum);
    // The grid (under `above`) with the edit box and Enter below it, and the
    // buttons, the lamp and Exit in a column beside it.
    void layOutGrid(const QList<int> &buttonIds, QLayout *above = nullptr, int editCaption = 0);
    QByteArrayList columnTexts(int column) const;
    // One row per entry, numbered from 0, a column per list.
    void setNumberedRows(const QList<QByteArrayList> &columns);

    // Ties the window to its exchange: busy disables the window, the lamp
    // follows its traffic, and a hold (declared after the exchange, so that
    // it goes first) makes the exchange the link's owner while it is open.
    template <typename Exchange> void attach(Exchange &exchange, LinkHold *hold)
    {
        connect(&exchange, &Exchange::busyChanged, this, &TableDialog::setBusy);
        if (m_lamp)
            followActivity(m_lamp, &exchange);
        m_isBusy = [&exchange] {
            return exchange.isBusy();
        };
        m_hold = hold;
    }
    void setBusy(bool busy);

    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    LinkHold *m_hold = nullptr;
    std::function<bool()> m_isBusy;
    QHash<int, QPushButton *> m_buttons;
    ParameterGrid *m_grid = nullptr;
    QLineEdit *m_edit = nullptr;
    QLabel *m_lamp = nullptr;
};

// The small number and table dialogs: a caption, one field beside it, and OK
// and Cancel under them.
void layOutFormDialog(QDialog *dialog, int captionId, QWidget *field);
