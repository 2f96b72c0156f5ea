#pragma once

#include "app/featuremenudialog.h"
#include "app/parametergrid.h"

#include <QByteArrayList>

#include <functional>

class QLayout;
class QLineEdit;

// What the table windows add to the feature windows: the grid of numbered
// rows edited through a box with its Enter button, disabled with the buttons
// while the window's exchange runs.
class TableDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    ParameterGrid *grid() const { return m_grid; }
    QLineEdit *editBox() const { return m_edit; }

    // The list cut or filled up with "0" to `count` entries.
    static QByteArrayList resized(QByteArrayList entries, int count);

protected:
    explicit TableDialog(QWidget *parent);

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
        follow(exchange);
        m_isBusy = [&exchange] {
            return exchange.isBusy();
        };
        setLinkHold(hold);
    }
    bool isExchangeBusy() const override { return m_isBusy && m_isBusy(); }
    void setBusy(bool busy) override;

private:
    std::function<bool()> m_isBusy;
    ParameterGrid *m_grid = nullptr;
    QLineEdit *m_edit = nullptr;
};

// The small number and table dialogs: a caption, one field beside it, and OK
// and Cancel under them.
void layOutFormDialog(QDialog *dialog, int captionId, QWidget *field);
