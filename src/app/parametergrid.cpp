#include "parametergrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

ParameterGrid::ParameterGrid(QWidget *parent)
    : QTableWidget(parent)
{
    // Values change only through the edit box, where they are checked.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { onCurrentCellChanged(row, column); });
}

void ParameterGrid::setColumns(const QList<Column> &columns)
{
    setColumnCount(int(columns.size()));
    QStringList titles;
    for (const Column &column : columns)
        titles.append(column.title);
    setHorizontalHeaderLabels(titles);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns.at(i).width);
}

void ParameterGrid::setRows(const QList<QStringList> &rows)
{
    clearContents();
    setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            auto *item = new QTableWidgetItem(rows.at(row).value(column));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            setItem(row, column, item);
        }
    }
    if (rows.isEmpty()) {
        if (m_editor)
            m_editor->clear();
    } else {
        selectRow(0);
    }
}

QString ParameterGrid::cellText(int row, int column) const
{
    const QTableWidgetItem *cell = item(row, column);
    return cell ? cell->text() : QString();
}

void ParameterGrid::attachEditor(QLineEdit *editor)
{
    if (m_editor)
        m_editor->removeEventFilter(this);
    m_editor = editor;
    if (m_editor)
        m_editor->installEventFilter(this);
}

void ParameterGrid::selectRow(int row)
{
    if (row < 0 || row >= rowCount() || m_editColumn < 0)
        return;
    setCurrentCell(row, m_editColumn);
    // The same cell again emits nothing, yet the box must show it.
    if (m_editor)
        m_editor->setText(cellText(row, m_editColumn));
    scrollToItem(item(row, m_editColumn));
}

void ParameterGrid::onCurrentCellChanged(int row, int column)
{
    if (!m_editor || row < 0 || column != m_editColumn)
        return;
    m_editor->setText(cellText(row, column));
    m_editor->selectAll();
    m_editor->setFocus();
}

bool ParameterGrid::commitEdit()
{
    const int row = currentRow();
    if (!m_editor || row < 0 || m_editColumn < 0 || !isEnabled())
        return false;
    const QString typed = m_editor->text();
    const std::optional<QString> accepted = m_validator ? m_validator(typed) : typed;
    if (!accepted) {
        Q_EMIT editRejected(typed);
        m_editor->setFocus();
        m_editor->selectAll();
        return false;
    }
    item(row, m_editColumn)->setText(*accepted);
    Q_EMIT valueStored(row, *accepted);
    if (row + 1 < rowCount()) {
        selectRow(row + 1);
    } else {
        m_editor->setText(*accepted);
    }
    m_editor->selectAll();
    m_editor->setFocus();
    return true;
}

bool ParameterGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Taken here, so that the window's default button does not
            // answer the same key as well.
            commitEdit();
            return true;
        case Qt::Key_Up:
            selectRow(currentRow() - 1);
            return true;
        case Qt::Key_Down:
            selectRow(currentRow() + 1);
            return true;
        default:
            break;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

void ParameterGrid::applyFontRule(bool english)
{
    if (english) {
        QFont font(QStringLiteral("Times New Roman"));
        font.setPointSize(8);
        setFont(font);
    } else {
        setFont(QFont()); // an unresolved font: the window's own again
    }
    // Rows as high as the text needs, so that a screen shows many of them.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}
