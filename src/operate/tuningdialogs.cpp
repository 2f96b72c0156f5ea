#include "tuningdialogs.h"

#include "app/dialogtexts.h"
#include "corvex32ctrl.h"
#include "resources/catalogue.h"
#include "servotuningexchange.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

// --- SpinArrows --------------------------------------------------------------

SpinArrows::SpinArrows(QWidget *parent)
    : QAbstractSpinBox(parent)
{
    setFixedWidth(20);
    setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus);
}

void SpinArrows::stepBy(int steps)
{
    emit stepped(steps);
}

// --- FilterWindow --------------------------------------------------------------

namespace {
constexpr int filterDialog = 240;
constexpr int choiceIds[] = {1463, 1464, 1465, 1466};
constexpr int firstLagEdit = 1473, notchEdit = 1474;
constexpr int firstLagSpinId = 1475, notchSpinId = 1476;
constexpr int firstLagSet = 1496, notchSet = 1497;
constexpr int firstLagCaption = 1501, notchCaption = 1502;
} // namespace

FilterWindow::FilterWindow(ServoTuningExchange &exchange, QWidget *parent)
    : QDialog(parent)
    , m_exchange(exchange)
    , m_firstLag(new QLineEdit(this))
    , m_notch(new QLineEdit(this))
    , m_firstLagSpin(new SpinArrows(this))
    , m_notchSpin(new SpinArrows(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *choices = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto *radio = new QRadioButton(this);
        DialogTexts::tag(radio, choiceIds[i]);
        choices->addWidget(radio);
        m_choices.append(radio);
        connect(radio, &QRadioButton::clicked, this, [this, i] { m_exchange.selectFilter(i); });
    }
    layout->addLayout(choices);

    auto *grid = new QGridLayout;
    const auto addRow = [&](int row, int caption, QLineEdit *edit, int editId, SpinArrows *spin,
                            int spinId, int setId, int item) {
        auto *label = new QLabel(this);
        DialogTexts::tag(label, caption);
        label->setBuddy(edit);
        DialogTexts::tag(edit, editId);
        DialogTexts::tag(spin, spinId);
        edit->setMaxLength(6);
        auto *set = new QPushButton(this);
        DialogTexts::tag(set, setId);
        set->setAutoDefault(false);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(spin, row, 2);
        grid->addWidget(set, row, 3);
        connect(set, &QPushButton::clicked, this,
                [this, edit, item] { m_exchange.setFilter(item, edit->text().toLatin1()); });
        connect(spin, &SpinArrows::stepped, this,
                [this, item](int steps) { this->spin(item, steps); });
    };
    addRow(0, firstLagCaption, m_firstLag, firstLagEdit, m_firstLagSpin, firstLagSpinId,
           firstLagSet, ServoTuningExchange::FirstLagItem);
    addRow(1, notchCaption, m_notch, notchEdit, m_notchSpin, notchSpinId, notchSet,
           ServoTuningExchange::NotchItem);
    layout->addLayout(grid);
    auto *close = new QPushButton(this);
    DialogTexts::tag(close, 1);
    close->setAutoDefault(false);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_exchange, &ServoTuningExchange::filterRead, this,
            [this](int choice, const QByteArray &notch, const QByteArray &firstLag) {
                if (QRadioButton *r = m_choices.value(choice))
                    r->setChecked(true);
                m_notch->setText(QString::fromLatin1(notch));
                m_firstLag->setText(QString::fromLatin1(firstLag));
                m_notchValue = notch.toInt();
                m_firstLagValue = firstLag.toInt();
            });
    connect(&m_exchange, &ServoTuningExchange::filterWritten, this,
            [this](int item, const QByteArray &value) {
                if (item == ServoTuningExchange::NotchItem)
                    m_notchValue = value.toInt();
                else if (item == ServoTuningExchange::FirstLagItem)
                    m_firstLagValue = value.toInt();
            });
    DialogTexts::apply(this, filterDialog);
}

QPushButton *FilterWindow::button(int controlId) const
{
    for (QPushButton *b : findChildren<QPushButton *>()) {
        if (DialogTexts::controlId(b) == controlId)
            return b;
    }
    return nullptr;
}

void FilterWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_exchange.readFilter();
}

void FilterWindow::spin(int item, int steps)
{
    const bool notch = item == ServoTuningExchange::NotchItem;
    const int value = (notch ? m_notchValue : m_firstLagValue) + steps;
    // Out of range or while a filter command is on its way: nothing is sent
    // and the value stays.
    if (!m_exchange.spinFilter(item, value))
        return;
    (notch ? m_notchValue : m_firstLagValue) = value;
    (notch ? m_notch : m_firstLag)->setText(QString::number(value));
}

// --- TriggerDialog -------------------------------------------------------------

namespace {
constexpr int triggerDialog = 242;
constexpr int triggerLists[] = {1480, 1485, 1486};
constexpr int triggerCaptions[] = {1501, 1502, 1503};
constexpr int triggerTimes[] = {50, 100, 250, 500};
constexpr int triggerPoints[] = {9, 7, 5, 3, 1};
} // namespace

TriggerDialog::TriggerDialog(QWidget *parent)
    : QDialog(parent)
{
    auto *layout = new QGridLayout(this);
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(this);
        DialogTexts::tag(label, triggerCaptions[i]);
        auto *list = new QComboBox(this);
        DialogTexts::tag(list, triggerLists[i]);
        list->addItems(Catalogue::instance().listItems(triggerDialog, triggerLists[i]));
        label->setBuddy(list);
        layout->addWidget(label, i, 0);
        layout->addWidget(list, i, 1);
        m_lists.append(list);
    }
    m_lists.at(2)->setCurrentIndex(2);
    auto *start = new QPushButton(this);
    auto *cancel = new QPushButton(this);
    DialogTexts::tag(start, 1);
    DialogTexts::tag(cancel, 2);
    start->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 3, 0, 1, 2);
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    DialogTexts::apply(this, triggerDialog);
}

QComboBox *TriggerDialog::list(int controlId) const
{
    for (int i = 0; i < 3; ++i) {
        if (triggerLists[i] == controlId)
            return m_lists.at(i);
    }
    return nullptr;
}

void TriggerDialog::accept()
{
    m_type = std::max(0, m_lists.at(0)->currentIndex());
    m_time = triggerTimes[std::clamp(m_lists.at(1)->currentIndex(), 0, 3)];
    m_point = triggerPoints[std::clamp(m_lists.at(2)->currentIndex(), 0, 4)];
    QDialog::accept();
}

// --- ResponseGraphWindow -------------------------------------------------------

namespace {
constexpr int graphDialog = 244;
constexpr int graphControl = 1201;
constexpr int scaleLists[] = {1065, 1066, 1067};
constexpr int scaleCaptions[] = {1501, 1502, 1503};
constexpr double verticalFactors[] = {0.5, 1, 2, 5};
constexpr int horizontalFactors[] = {1, 2, 5, 10};
} // namespace

ResponseGraphWindow::ResponseGraphWindow(QWidget *parent)
    : QDialog(parent)
    , m_graph(new COrvex32Ctrl(Catalogue::instance().graphInit(graphDialog, graphControl), this))
{
    DialogTexts::tag(m_graph, graphControl);
    m_graph->setMinimumSize(520, 320);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_graph, 1);
    auto *row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(this);
        DialogTexts::tag(label, scaleCaptions[i]);
        auto *list = new QComboBox(this);
        DialogTexts::tag(list, scaleLists[i]);
        QStringList items = Catalogue::instance().listItems(graphDialog, scaleLists[i]);
        if (items.isEmpty()) // the Japanese set carries none
            items = i < 2 ? QStringList{QStringLiteral("*1/2"), QStringLiteral("*1"),
                                        QStringLiteral("*2"), QStringLiteral("*5")}
                          : QStringList{QStringLiteral("*1"), QStringLiteral("*2"),
                                        QStringLiteral("*5"), QStringLiteral("*10")};
        list->addItems(items);
        list->setCurrentIndex(i < 2 ? 1 : 0);
        label->setBuddy(list);
        row->addWidget(label);
        row->addWidget(list);
        m_lists.append(list);
        connect(list, &QComboBox::currentIndexChanged, this, &ResponseGraphWindow::redraw);
    }
    row->addStretch();
    auto *printButton = new QPushButton(this);
    auto *exit = new QPushButton(this);
    DialogTexts::tag(printButton, 1215);
    DialogTexts::tag(exit, 1);
    printButton->setAutoDefault(false);
    row->addWidget(printButton);
    row->addWidget(exit);
    layout->addLayout(row);
    connect(printButton, &QPushButton::clicked, this, &ResponseGraphWindow::print);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    DialogTexts::apply(this, graphDialog);
}

QComboBox *ResponseGraphWindow::list(int controlId) const
{
    for (int i = 0; i < 3; ++i) {
        if (scaleLists[i] == controlId)
            return m_lists.at(i);
    }
    return nullptr;
}

void ResponseGraphWindow::setResponse(const QList<double> &values)
{
    m_values = values;
    redraw();
}

void ResponseGraphWindow::redraw()
{
    if (m_values.isEmpty())
        return;
    const int shown =
        std::max<int>(2, int(m_values.size()) /
                             horizontalFactors[std::clamp(m_lists.at(2)->currentIndex(), 0, 3)]);
    double peak = 100;
    for (double v : std::as_const(m_values))
        peak = std::max(peak, std::abs(v));
    // The full scale: the peak rounded up to a hundred, magnified.
    const double full = std::ceil(peak / 100) * 100;
    m_graph->setDataCount(shown);
    for (int g = 0; g < 2; ++g) {
        const double factor = verticalFactors[std::clamp(m_lists.at(g)->currentIndex(), 0, 3)];
        m_graph->setValueRange(g, -full / factor, full / factor);
    }
    // The record holds the response only; the command graph stays at zero.
    QList<double> command(shown, 0.0);
    QList<double> response = m_values.mid(0, shown);
    QList<qint32> flags(shown, 1);
    m_graph->setArrayData(0, 0, 0, shown, flags, command);
    m_graph->setArrayData(1, 0, 0, shown, flags, response);
    m_graph->refresh();
}

void ResponseGraphWindow::print()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter(&printer);
    const QPixmap image = m_graph->grab();
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(page.topLeft(), size), image);
}
