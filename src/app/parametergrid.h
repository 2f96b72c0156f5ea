#pragma once

#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTableWidget>

#include <functional>
#include <optional>

// The grid of the table editors and parameter windows: a fixed header row,
// one row per item, columns of fixed width, and one column whose cells are
// edited through a separate edit box rather than in place.
//
// Selecting a cell of the edit column copies its text into the edit box and
// puts the focus there. Return in the box (or a window's "Enter" button
// calling commitEdit()) checks the text with the validator, stores the
// accepted form into the selected row's cell and moves to the next row; on
// the last row the selection stays. Up and Down in the box move between rows
// without storing. A refused text leaves the cell as it was and is reported
// by editRejected(); the window says why.
class ParameterGrid : public QTableWidget
{
    Q_OBJECT
public:
    struct Column
    {
        QString title;
        int width = 80;
    };
    // The accepted form of a typed text, or nothing when it is refused.
    using Validator = std::function<std::optional<QString>(const QString &)>;

    explicit ParameterGrid(QWidget *parent = nullptr);

    void setColumns(const QList<Column> &columns);
    // Replaces every row; each list holds the texts of one row's cells.
    void setRows(const QList<QStringList> &rows);
    QString cellText(int row, int column) const;

    void setEditColumn(int column) { m_editColumn = column; }
    int editColumn() const { return m_editColumn; }
    void setValidator(Validator validator) { m_validator = std::move(validator); }
    void attachEditor(QLineEdit *editor);
    QLineEdit *editor() const { return m_editor; }

    // Selects the edit cell of a row and copies its text into the edit box.
    void selectRow(int row);
    // Stores the edit box text into the selected row (see above); false when
    // nothing was stored.
    bool commitEdit();

    // English texts are shown in "Times New Roman" at 8 points; Japanese
    // ones keep the window's font, which has the glyphs.
    void applyFontRule(bool english);

Q_SIGNALS:
    // A value was stored into a row by commitEdit().
    void valueStored(int row, const QString &text);
    void editRejected(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onCurrentCellChanged(int row, int column);

    QPointer<QLineEdit> m_editor;
    Validator m_validator;
    int m_editColumn = -1;
};
