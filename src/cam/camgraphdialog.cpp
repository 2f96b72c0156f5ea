#include "camgraphdialog.h"

#include "app/dialogtexts.h"
#include "camgraph.h"
#include "graphctl/corvex32ctrl.h"
#include "link/drivetext.h"
#include "resources/catalogue.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace {
// "Title :", "Vs      : " … "Amin  :".
constexpr int readoutLabels[] = {1501, 1502, 1503, 1504, 1505, 1506, 1507};
} // namespace

CamGraphDialog::CamGraphDialog(QWidget *parent)
    : QDialog(parent)
    , m_graph(new COrvex32Ctrl(Catalogue::instance().graphInit(228, 1201), this))
    , m_choosePrinter([](QPrinter &printer, QWidget *owner) {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    })
{
    m_graph->setMinimumSize(560, 420);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto *readouts = new QGridLayout;
    int row = 0;
    for (int id : readoutLabels) {
        auto *label = new QLabel(this);
        DialogTexts::tag(label, id);
        auto *value = new QLabel(this);
        value->setFont(fixed);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        readouts->addWidget(label, row, 0);
        readouts->addWidget(value, row, 1);
        m_values.append(value);
        row += 1;
    }
    readouts->setRowStretch(row, 1);

    auto *print = new QPushButton(this);
    auto *paint = new QPushButton(this);
    auto *exit = new QPushButton(this);
    DialogTexts::tag(print, 1215);
    DialogTexts::tag(paint, 1216);
    DialogTexts::tag(exit, 1);
    print->setAutoDefault(false);
    paint->setAutoDefault(false);
    exit->setDefault(true);
    connect(print, &QPushButton::clicked, this, &CamGraphDialog::print);
    connect(paint, &QPushButton::clicked, m_graph, &COrvex32Ctrl::refresh);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto *side = new QVBoxLayout;
    side->addLayout(readouts, 1);
    side->addWidget(print);
    side->addWidget(paint);
    side->addWidget(exit);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_graph, 1);
    layout->addLayout(side);
    DialogTexts::apply(this, 228);
}

void CamGraphDialog::setProfile(const CamProfile &profile)
{
    m_values.at(0)->setText(DriveText::decode(profile.title));
    const QStringList values = CamGraph::readouts(profile);
    for (int i = 0; i < values.size(); ++i)
        m_values.at(i + 1)->setText(values.at(i));

    const QList<double> series[] = {CamGraph::positions(profile), CamGraph::velocities(profile),
                                    CamGraph::accelerations(profile)};
    m_graph->clearGraphAll();
    m_graph->setDataCount(CamProfile::PointCount);
    const std::vector<qint32> flags(CamProfile::PointCount, 1);
    for (int graph = 0; graph < 3; ++graph) {
        const std::vector<double> data(series[graph].cbegin(), series[graph].cend());
        m_graph->setArrayData(graph, 0, 0, CamProfile::PointCount, flags, data);
    }
    m_graph->refresh();
}

QString CamGraphDialog::readout(int row) const
{
    return m_values.value(row) ? m_values.value(row)->text() : QString();
}

bool CamGraphDialog::print()
{
    QPrinter printer;
    if (!m_choosePrinter(printer, this))
        return false;
    printer.setDocName(windowTitle());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The plots across the page's width, the title and the items below them.
    const QRect page = painter.viewport();
    const int plotHeight = page.width() * m_graph->height() / qMax(1, m_graph->width());
    m_graph->paintTo(painter, QSize(page.width(), plotHeight));
    const int lineHeight = painter.fontMetrics().height();
    int y = plotHeight + 2 * lineHeight;
    for (int row = 0; row < m_values.size(); ++row, y += lineHeight) {
        const QString label = Catalogue::instance().controlText(228, readoutLabels[row]);
        painter.drawText(0, y,
                         QString(label).remove(QLatin1Char('&')) + QLatin1Char(' ') +
                             m_values.at(row)->text());
    }
    return painter.end();
}
