#include "accuracygraphdialog.h"

#include "accuracygraph.h"
#include "app/dialogtexts.h"
#include "graphctl/corvex32ctrl.h"
#include "resources/catalogue.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

AccuracyGraphDialog::AccuracyGraphDialog(QWidget *parent)
    : QDialog(parent)
    , m_graph(new COrvex32Ctrl(Catalogue::instance().graphInit(151, 1201), this))
    , m_print(new QPushButton(this))
    , m_choosePrinter([](QPrinter &printer, QWidget *owner) {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    })
{
    m_graph->setMinimumSize(520, 300);
    auto *exit = new QPushButton(this);
    DialogTexts::tag(m_print, 1215);
    DialogTexts::tag(exit, 1);
    m_print->setAutoDefault(false);
    exit->setDefault(true);
    connect(m_print, &QPushButton::clicked, this, &AccuracyGraphDialog::print);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_print);
    buttons->addWidget(exit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_graph, 1);
    layout->addLayout(buttons);
    DialogTexts::apply(this, 151);
}

void AccuracyGraphDialog::setEntries(const QByteArrayList &entries)
{
    const QList<double> values = AccuracyGraph::points(entries);
    const int scale = AccuracyGraph::scale(entries);
    m_graph->clearGraphAll();
    m_graph->setDataCount(int(values.size()));
    m_graph->setValueRange(0, -scale, scale);
    const std::vector<qint32> flags(values.size(), 1);
    const std::vector<double> data(values.cbegin(), values.cend());
    if (!values.isEmpty())
        m_graph->setArrayData(0, 0, 0, int(values.size()), flags, data);
    m_graph->refresh();
}

bool AccuracyGraphDialog::print()
{
    QPrinter printer;
    if (!m_choosePrinter(printer, this))
        return false;
    printer.setDocName(windowTitle());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The graph as on screen, scaled to the page's width.
    const QRect page = painter.viewport();
    const QSize size(page.width(), page.width() * m_graph->height() / qMax(1, m_graph->width()));
    m_graph->paintTo(painter, size);
    return painter.end();
}
