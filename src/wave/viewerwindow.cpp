#include "viewerwindow.h"

#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/profilestore.h"
#include "conditiondialog.h"
#include "corvex32ctrl.h"
#include "cursorwindow.h"
#include "fileoperationdialog.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "link/simpleterminalwindow.h"
#include "logconditions.h"
#include "monitoritemtable.h"
#include "resources/catalogue.h"
#include "samplestore.h"

#include <QBuffer>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace {

constexpr int UnitsLists[] = {1068, 1072, 1073, 1074};
constexpr int PositionLists[] = {1069, 1075, 1076, 1077};
constexpr int ChannelButtons[] = {1104, 1105, 1106, 1107};
constexpr int ChannelMarks[] = {1010, 1011, 1012, 1013};
constexpr int MarkBitmaps[] = {165, 166, 163, 167};
constexpr int HiddenMark = 164;
constexpr int ZeroBitmaps[] = {169, 170, 171, 172};
constexpr int BlankZero = 173;

constexpr int CommLamp = 1007;
constexpr int LogLamp = 1008;
constexpr int RecordLamp = 1009;

constexpr int LogStartButton = 1064;
constexpr int AcquireButton = 1066;
constexpr int TerminalButton = 1004;
constexpr int AutoButton = 1087;
constexpr int FileButton = 1085;
constexpr int CursorButton = 1131;
constexpr int ExitButton = 1;

const char *bitmapProperty = "torvaneBitmap";

const QString section = QStringLiteral("OSCSCOPE");

void showBitmap(QLabel *label, int bitmap)
{
    label->setProperty(bitmapProperty, bitmap);
    label->setPixmap(LampImages::masked(bitmap));
}

QString string(int id)
{
    return Catalogue::instance().string(id);
}

QString itemName(int sourceIndex)
{
    return DriveText::decode(MonitorItemTable::instance().text(sourceIndex)).trimmed();
}

} // namespace

// The cursor lines and their labels over the plot; clicks pass through.
class ViewerWindow::CursorOverlay : public QWidget
{
public:
    explicit CursorOverlay(COrvex32Ctrl *graph)
        : QWidget(graph)
        , m_graph(graph)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const CursorSettings &s = CursorSettings::instance();
        if (!s.shown)
            return;
        const QRect plot = m_graph->plotRect();
        if (plot.isEmpty())
            return;
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1));
        QFont small = font();
        small.setPixelSize(10);
        p.setFont(small);
        if (s.type == 0) {
            const std::pair<int, const char *> lines[] = {{s.t1X, "T1"}, {s.t2X, "T2"}};
            for (const auto &[x, name] : lines) {
                const int px = plot.left() + x;
                p.drawLine(px, plot.top(), px, plot.bottom());
                p.drawText(px + 2, plot.top() + 11, QString::fromLatin1(name));
            }
        } else {
            const std::pair<int, const char *> lines[] = {{s.h1Y, "H1"}, {s.h2Y, "H2"}};
            for (const auto &[y, name] : lines) {
                p.drawLine(plot.left(), y, plot.right(), y);
                p.drawText(plot.left() + 2, y - 2, QString::fromLatin1(name));
            }
        }
    }

private:
    COrvex32Ctrl *m_graph;
};

ViewerWindow::ViewerWindow(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_exchange(link, *m_dialogPrompt)
    , m_files(*m_dialogPrompt)
    , m_graph(new COrvex32Ctrl(Catalogue::instance().graphInit(249, 1201), this))
    , m_overlay(new CursorOverlay(m_graph))
    , m_strip(new QWidget(this))
    , m_time(new QLineEdit(this))
    , m_cursorWindow(new CursorWindow(this))
{
    DialogTexts::tag(m_graph, 1201);
    m_graph->setMinimumSize(560, 360);
    m_graph->installEventFilter(this);
    DialogTexts::tag(m_strip, 1108);
    m_strip->setFixedWidth(13);
    for (int k = 0; k < 9; ++k) {
        m_zeroMarkers[k] = new QLabel(m_strip);
        DialogTexts::tag(m_zeroMarkers[k], 1109 + k);
        m_zeroMarkers[k]->setFixedSize(13, 21);
    }

    // The channels: show/hide, colour mark, units per division, position.
    auto *channels = new QGridLayout;
    auto *unitsLabel = new QLabel(this);
    DialogTexts::tag(unitsLabel, 1501);
    auto *positionLabel = new QLabel(this);
    DialogTexts::tag(positionLabel, 1502);
    channels->addWidget(unitsLabel, 0, 2);
    channels->addWidget(positionLabel, 0, 3);
    for (int c = 0; c < 4; ++c) {
        m_channels[c] = new QPushButton(this);
        DialogTexts::tag(m_channels[c], ChannelButtons[c]);
        m_channels[c]->setAutoDefault(false);
        m_buttons.insert(ChannelButtons[c], m_channels[c]);
        m_marks[c] = new QLabel(this);
        DialogTexts::tag(m_marks[c], ChannelMarks[c]);
        m_marks[c]->setFixedSize(7, 17);
        m_units[c] = new QComboBox(this);
        DialogTexts::tag(m_units[c], UnitsLists[c]);
        m_units[c]->setMaxVisibleItems(27);
        m_positions[c] = new QComboBox(this);
        DialogTexts::tag(m_positions[c], PositionLists[c]);
        m_positions[c]->setMaxVisibleItems(31);
        channels->addWidget(m_channels[c], c + 1, 0);
        channels->addWidget(m_marks[c], c + 1, 1);
        channels->addWidget(m_units[c], c + 1, 2);
        channels->addWidget(m_positions[c], c + 1, 3);
        connect(m_channels[c], &QPushButton::clicked, this, [this, c] { toggleChannel(c); });
        connect(m_units[c], &QComboBox::activated, this, [this, c](int i) { setUnits(c, i); });
        connect(m_positions[c], &QComboBox::activated, this,
                [this, c](int i) { setPosition(c, i); });
    }

    auto *timeRow = new QHBoxLayout;
    auto *timeLabel = new QLabel(this);
    DialogTexts::tag(timeLabel, 1503);
    auto *timeUnit = new QLabel(this);
    DialogTexts::tag(timeUnit, 1504);
    DialogTexts::tag(m_time, 1071);
    m_time->setReadOnly(true);
    m_time->setAlignment(Qt::AlignRight);
    m_time->setFixedWidth(70);
    m_time->setFocusPolicy(Qt::NoFocus);
    timeRow->addWidget(timeLabel);
    timeRow->addWidget(m_time);
    timeRow->addWidget(timeUnit);
    timeRow->addStretch();

    auto *lamps = new QHBoxLayout;
    for (int id : {CommLamp, LogLamp, RecordLamp}) {
        auto *lamp = new QLabel(this);
        DialogTexts::tag(lamp, id);
        lamp->setFixedSize(15, 15);
        m_lamps.insert(id, lamp);
        lamps->addWidget(lamp);
    }
    lamps->addStretch();

    auto *buttons = new QGridLayout;
    const int ids[] = {LogStartButton, AcquireButton, TerminalButton, AutoButton,
                       FileButton,     CursorButton,  ExitButton};
    for (int i = 0; i < 7; ++i) {
        auto *b = new QPushButton(this);
        DialogTexts::tag(b, ids[i]);
        b->setAutoDefault(false);
        m_buttons.insert(ids[i], b);
        buttons->addWidget(b, i / 2, i % 2);
    }
    m_buttons.value(CursorButton)->setCheckable(true);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto *readouts = new QVBoxLayout;
    for (QLabel *&r : m_readouts) {
        r = new QLabel(this);
        r->setFont(fixed);
        r->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QLatin1Char('0')) * 20);
        r->setTextInteractionFlags(Qt::TextSelectableByMouse);
        readouts->addWidget(r);
    }

    auto *side = new QVBoxLayout;
    side->addLayout(channels);
    side->addLayout(timeRow);
    side->addLayout(lamps);
    side->addLayout(readouts);
    side->addStretch();
    side->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(4);
    layout->addWidget(m_strip);
    layout->addWidget(m_graph, 1);
    layout->addSpacing(6);
    layout->addLayout(side);

    fillLists();
    for (int c = 0; c < 4; ++c) {
        m_graph->setShortName(c, QStringLiteral("CH%1").arg(c + 1));
        m_graph->setDecimalPoint(c, 0);
    }

    connect(m_graph, &COrvex32Ctrl::PlotAreaClick, this, [this] { placeCursor(m_lastRelease); });
    connect(m_buttons.value(LogStartButton), &QPushButton::clicked, &m_exchange,
            &ViewerExchange::startLogging);
    connect(m_buttons.value(AcquireButton), &QPushButton::clicked, &m_exchange,
            &ViewerExchange::acquire);
    connect(m_buttons.value(TerminalButton), &QPushButton::clicked, this,
            &ViewerWindow::openTerminal);
    connect(m_buttons.value(AutoButton), &QPushButton::clicked, this, &ViewerWindow::autoScale);
    connect(m_buttons.value(FileButton), &QPushButton::clicked, this,
            &ViewerWindow::fileOperations);
    connect(m_buttons.value(CursorButton), &QPushButton::toggled, this,
            &ViewerWindow::toggleCursorWindow);
    connect(m_buttons.value(ExitButton), &QPushButton::clicked, this, &QDialog::accept);

    connect(m_cursorWindow, &CursorWindow::changed, this, [this] {
        updateReadouts();
        m_overlay->update();
    });
    connect(m_cursorWindow, &CursorWindow::switched, this, &ViewerWindow::cursorSwitched);
    connect(m_cursorWindow, &CursorWindow::closedByUser, this,
            [this] { m_buttons.value(CursorButton)->setChecked(false); });

    connect(&m_exchange, &ViewerExchange::lampChanged, this,
            [this](int bitmap) { setLamp(CommLamp, bitmap); });
    connect(&m_exchange, &ViewerExchange::controlsChanged, this, &ViewerWindow::applyFlags);
    connect(&m_exchange, &ViewerExchange::setUpStarted, this, [this] {
        for (int id : {LogStartButton, TerminalButton, AutoButton, FileButton})
            m_buttons.value(id)->setEnabled(false);
        m_buttons.value(LogStartButton)->setFocus();
    });
    connect(&m_exchange, &ViewerExchange::conditionsRequested, this, &ViewerWindow::editConditions);
    connect(&m_exchange, &ViewerExchange::redrawRequested, this, &ViewerWindow::redraw);
    connect(&m_exchange, &ViewerExchange::timeFieldChanged, this, [this](const QByteArray &text) {
        m_time->setText(QString::fromLatin1(text).trimmed());
    });
    connect(&m_exchange, &ViewerExchange::acquireCaptionChanged, this,
            [this](int id) { m_buttons.value(AcquireButton)->setText(string(id)); });
    connect(&m_exchange, &ViewerExchange::statusPolled, this, [this] { applyFlags(true); });
    connect(&m_exchange, &ViewerExchange::fileShown, this, &ViewerWindow::showFileTitle);
    connect(&m_exchange, &ViewerExchange::wentOffline, this, &ViewerWindow::wentOffline);
    connect(&m_exchange, &ViewerExchange::exitBlocked, this,
            [this] { m_buttons.value(ExitButton)->setEnabled(false); });
    connect(&m_exchange, &ViewerExchange::closeRequested, this, [this] { done(Accepted); });

    DialogTexts::apply(this, 249);
    DialogTexts::apply(m_cursorWindow, 176);
}

ViewerWindow::~ViewerWindow()
{
    if (m_ownsLink) {
        m_exchange.close();
        m_link.reset();
        m_link.popOwner();
    }
}

void ViewerWindow::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_exchange.setPrompt(*m_prompt);
    m_files.setPrompt(*m_prompt);
}

void ViewerWindow::setBaseDir(const QString &dir)
{
    m_baseDir = dir;
    m_exchange.setBaseDir(dir);
}

QString ViewerWindow::baseDir() const
{
    return m_baseDir.isNull() ? AppSettings::instance().baseDir() : m_baseDir;
}

QPushButton *ViewerWindow::button(int controlId) const
{
    return m_buttons.value(controlId);
}

QLabel *ViewerWindow::lamp(int controlId) const
{
    return m_lamps.value(controlId);
}

int ViewerWindow::bitmapOf(const QLabel *label)
{
    return label ? label->property(bitmapProperty).toInt() : 0;
}

QString ViewerWindow::readout(int line) const
{
    return m_readouts[qBound(0, line, 1)]->text();
}

QRect ViewerWindow::plotRect() const
{
    return m_graph->plotRect();
}

void ViewerWindow::setLamp(int controlId, int bitmap)
{
    showBitmap(m_lamps.value(controlId), bitmap);
}

// --- Opening and closing --------------------------------------------------------

void ViewerWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_ownsLink)
        openViewer();
}

void ViewerWindow::openViewer()
{
    m_offline = false;
    setWindowTitle(DialogTexts::caption(249));
    m_buttons.value(LogStartButton)->setText(string(251));
    m_buttons.value(AcquireButton)->setText(string(253));
    readProfile();
    // The default conditions; without them the viewer goes on with the ones it had.
    ViewerFiles::readDefaultConditions(baseDir(), *m_prompt);
    SampleStore::instance().clear();
    selectLists();
    setLongNames();
    setLamp(LogLamp, 136);
    setLamp(RecordLamp, 132);
    redraw();
    applyFlags(false);
    m_buttons.value(ExitButton)->setEnabled(true);

    m_ownsLink = m_link.pushOwner(&m_exchange);
    m_link.open();
    m_exchange.open();
}

void ViewerWindow::readProfile()
{
    m_graph->ensurePolished();
    layout()->activate();
    const QRect plot = plotRect();
    const int w = plot.width(), h = plot.height();
    const int dw = w / 10, dh = h / 10;
    CursorSettings &s = CursorSettings::instance();
    LogConditions &c = LogConditions::active();
    ProfileStore *profile = AppSettings::instance().profile();
    const auto entry = [profile](const char *name, int fallback) {
        return profile ? profile->readInt(section, QString::fromLatin1(name), fallback) : fallback;
    };
    s.shown = entry("boShowCursor", 0) != 0;
    s.type = qBound(0, entry("boCursorType", 0), 1);
    s.select = qBound(1, entry("uhCursorStatas", 1), 3);
    s.source = qBound(0, entry("uhCursorSourceNo", 0), 3);
    s.t1X = entry("T1_POS_X", w / 2 - dw);
    s.t2X = entry("T2_POS_X", w / 2 + dw);
    s.h1Y = entry("H1_POS_Y", h / 2 + 5 - dh);
    s.h2Y = entry("H2_POS_Y", h / 2 + 5 + dh);
    s.windowShown = entry("boCursorDlgShow", 1) != 0;
    for (int i = 0; i < 4; ++i)
        c.channelShown[i] = entry(qPrintable(QStringLiteral("GraphShowCH%1").arg(i + 1)), 1) != 0;

    m_graph->setPlotAreaHitCheckMode(s.shown ? Orvex32::nbgrHitCheckIntroDisp
                                             : Orvex32::nbgrHitCheckOnAll);
    m_cursorWindow->sync();
    m_cursorWindow->move(0, 200);
    m_buttons.value(CursorButton)->setChecked(s.windowShown);
    toggleCursorWindow(s.windowShown);
}

void ViewerWindow::writeProfile()
{
    ProfileStore *profile = AppSettings::instance().profile();
    if (!profile)
        return;
    const CursorSettings &s = CursorSettings::instance();
    const LogConditions &c = LogConditions::active();
    for (int i = 0; i < 4; ++i)
        profile->writeInt(section, QStringLiteral("GraphShowCH%1").arg(i + 1), c.channelShown[i]);
    profile->writeInt(section, QStringLiteral("StrSetEnglish"),
                      AppSettings::instance().strSetEnglish());
    profile->writeInt(section, QStringLiteral("boShowCursor"), s.shown);
    profile->writeInt(section, QStringLiteral("boCursorType"), s.type);
    profile->writeInt(section, QStringLiteral("uhCursorStatas"), s.select);
    profile->writeInt(section, QStringLiteral("uhCursorSourceNo"), s.source);
    profile->writeInt(section, QStringLiteral("T1_POS_X"), s.t1X);
    profile->writeInt(section, QStringLiteral("T2_POS_X"), s.t2X);
    profile->writeInt(section, QStringLiteral("H1_POS_Y"), s.h1Y);
    profile->writeInt(section, QStringLiteral("H2_POS_Y"), s.h2Y);
}

void ViewerWindow::done(int result)
{
    if (m_ownsLink) {
        // The terminal beside the viewer goes first.
        if (m_terminal)
            m_terminal->close();
        m_exchange.close();
        m_link.reset();
        m_link.close();
        m_link.popOwner();
        m_ownsLink = false;
        // Saved at every closing, so that a later crash loses nothing.
        writeProfile();
        ViewerFiles::writeDefaultConditions(baseDir(), *m_prompt);
    }
    m_cursorWindow->hide();
    QDialog::done(result);
}

void ViewerWindow::reject()
{
    // The close box and Escape are Exit, while Exit is enabled.
    if (m_buttons.value(ExitButton)->isEnabled())
        QDialog::reject();
}

// --- Lists and scales --------------------------------------------------------------

void ViewerWindow::fillLists()
{
    for (int c = 0; c < 4; ++c) {
        for (int i = 0; i < WaveScale::UnitEntries; ++i)
            m_units[c]->addItem(QString::fromLatin1(WaveScale::unitsText(i)));
        for (int i = 0; i < WaveScale::PositionEntries; ++i)
            m_positions[c]->addItem(QString::fromLatin1(WaveScale::positionText(i)));
    }
}

void ViewerWindow::selectLists()
{
    const LogConditions &c = LogConditions::active();
    for (int i = 0; i < 4; ++i) {
        m_units[i]->setCurrentIndex(c.voltsPerDivIndex[i]);
        m_positions[i]->setCurrentIndex(c.positionIndex[i]);
    }
    m_time->setText(QString::fromLatin1(WaveScale::timeText(c.timeIndex)).trimmed());
}

void ViewerWindow::setLongNames()
{
    const LogConditions &c = LogConditions::active();
    for (int i = 0; i < 4; ++i)
        m_graph->setLongName(i, itemName(c.sourceIndex[i]));
}

void ViewerWindow::scaleChannel(int channel)
{
    const LogConditions &c = LogConditions::active();
    const WaveScale::Range r =
        WaveScale::channelRange(c.voltsPerDivIndex[channel], c.positionIndex[channel]);
    // Both at once: the control refuses a high value that is not above the low one.
    m_graph->setValueRange(channel, double(r.low), double(r.high));
}

void ViewerWindow::setUnits(int channel, int index)
{
    if (index < 0 || index >= WaveScale::UnitEntries)
        return;
    LogConditions::active().voltsPerDivIndex[channel] = quint16(index);
    scaleChannel(channel);
    updateReadouts();
}

void ViewerWindow::setPosition(int channel, int index)
{
    if (index < 0 || index >= WaveScale::PositionEntries)
        return;
    LogConditions::active().positionIndex[channel] = quint16(index);
    scaleChannel(channel);
    updateZeroMarkers();
}

void ViewerWindow::toggleChannel(int channel)
{
    bool &shown = LogConditions::active().channelShown[channel];
    shown = !shown;
    showPass();
}

void ViewerWindow::redraw()
{
    m_graph->setVertScaleSplitCount(10);
    m_graph->setDataCount(WaveScale::Points);
    m_graph->setHorzScaleSplitCount(10);
    setLongNames();
    selectLists();
    for (int c = 0; c < 4; ++c)
        scaleChannel(c);
    m_graph->setHorzScaleLabelStyle(Orvex32::nbgrScaleLabel);
    const SampleStore &store = SampleStore::instance();
    std::vector<double> values(WaveScale::Points);
    for (int c = 0; c < 4; ++c) {
        for (int k = 0; k < WaveScale::Points; ++k)
            values[size_t(k)] = store.sample(c, WaveScale::sampleForPoint(k, store.count()));
        const std::vector<qint32> flags(WaveScale::Points, 1);
        m_graph->setArrayData(c, 0, 0, WaveScale::Points, flags, values);
        m_graph->setDecimalPoint(c, 0);
    }
    showPass();
}

void ViewerWindow::showPass()
{
    const LogConditions &c = LogConditions::active();
    for (int i = 0; i < 4; ++i) {
        showBitmap(m_marks[i], c.channelShown[i] ? MarkBitmaps[i] : HiddenMark);
        for (int k = 0; k < WaveScale::Points; ++k)
            m_graph->setDataFlag(i, k, c.channelShown[i]);
    }
    m_graph->refresh();
    updateReadouts();
    updateZeroMarkers();
}

void ViewerWindow::updateZeroMarkers()
{
    const LogConditions &c = LogConditions::active();
    for (int k = 1; k <= 9; ++k) {
        int bitmap = BlankZero;
        // A later channel covers an earlier one.
        for (int i = 0; i < 4; ++i) {
            if (c.channelShown[i] && int(c.positionIndex[i]) - 10 == k)
                bitmap = ZeroBitmaps[i];
        }
        showBitmap(m_zeroMarkers[k - 1], bitmap);
    }
    placeZeroMarkers();
}

void ViewerWindow::placeZeroMarkers()
{
    // Each marker centred on its division line of the plot.
    const QRect plot = plotRect();
    const int top = m_graph->mapTo(this, plot.topLeft()).y() - m_strip->y();
    for (int k = 1; k <= 9; ++k)
        m_zeroMarkers[k - 1]->move(0, top + k * plot.height() / 10 - 10);
}

void ViewerWindow::autoScale()
{
    LogConditions &c = LogConditions::active();
    const SampleStore &store = SampleStore::instance();
    for (int i = 0; i < 4; ++i) {
        const int units = WaveScale::autoUnitsIndex(store.largestMagnitude(i));
        c.voltsPerDivIndex[i] = quint16(units);
        c.positionIndex[i] = 15;
        m_units[i]->setCurrentIndex(units);
        m_positions[i]->setCurrentIndex(15);
        scaleChannel(i);
    }
    updateZeroMarkers();
    updateReadouts();
}

// --- Cursors -----------------------------------------------------------------------

bool ViewerWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_graph) {
        if (event->type() == QEvent::MouseButtonRelease)
            m_lastRelease = static_cast<QMouseEvent *>(event)->position().toPoint();
        else if (event->type() == QEvent::Resize) {
            m_overlay->resize(static_cast<QResizeEvent *>(event)->size());
            placeZeroMarkers();
            updateReadouts();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ViewerWindow::placeCursor(const QPoint &pos)
{
    CursorSettings &s = CursorSettings::instance();
    if (!s.shown)
        return;
    const QRect plot = plotRect();
    if (s.type == 1) {
        const int y = pos.y();
        if (y >= plot.top() && y <= plot.bottom()) {
            if (s.select == 1) {
                s.h1Y = y;
            } else if (s.select == 2) {
                s.h2Y = y;
            } else {
                // Both move and keep their distance exactly, odd ones too.
                const int distance = s.h2Y - s.h1Y;
                s.h1Y = y - distance / 2;
                s.h2Y = s.h1Y + distance;
            }
        }
    } else {
        const int x = pos.x() - plot.left();
        if (x >= 0 && x <= plot.width()) {
            if (s.select == 1) {
                s.t1X = x;
            } else if (s.select == 2) {
                s.t2X = x;
            } else {
                const int distance = s.t2X - s.t1X;
                s.t1X = x - distance / 2;
                s.t2X = s.t1X + distance;
            }
        }
    }
    updateReadouts();
}

void ViewerWindow::updateReadouts()
{
    const CursorSettings &s = CursorSettings::instance();
    m_overlay->update();
    if (!s.shown) {
        m_readouts[0]->clear();
        m_readouts[1]->clear();
        return;
    }
    if (s.type == 0) {
        const int ms = m_time->text().trimmed().toInt();
        m_readouts[0]->setText(
            QString::fromLatin1(WaveScale::timeReadout(s.t2X - s.t1X, divWidth(), ms)));
        m_readouts[1]->setText(
            QString::fromLatin1(WaveScale::frequencyReadout(s.t2X - s.t1X, divWidth(), ms)));
    } else {
        const int channel = qBound(0, s.source, 3);
        const qint64 units =
            WaveScale::unitsPerDiv(LogConditions::active().voltsPerDivIndex[channel]);
        m_readouts[0]->setText(QString::fromLatin1(
            WaveScale::levelReadout(channel, s.h2Y - s.h1Y, divHeight(), units)));
        m_readouts[1]->clear();
    }
}

void ViewerWindow::toggleCursorWindow(bool show)
{
    CursorSettings &s = CursorSettings::instance();
    s.windowShown = show;
    m_cursorWindow->setVisible(show && isVisible());
    if (ProfileStore *profile = AppSettings::instance().profile())
        profile->writeInt(section, QStringLiteral("boCursorDlgShow"), show);
    updateReadouts();
}

void ViewerWindow::cursorSwitched(bool on)
{
    if (!on)
        m_graph->refresh();
    m_graph->setPlotAreaHitCheckMode(on ? Orvex32::nbgrHitCheckIntroDisp
                                        : Orvex32::nbgrHitCheckOnAll);
    updateReadouts();
}

// --- Buttons and the exchange ----------------------------------------------------------

void ViewerWindow::applyFlags(bool enable)
{
    const bool running = m_exchange.logRunning();
    const bool ready = m_exchange.recordReady();
    QPushButton *logStart = m_buttons.value(LogStartButton);
    logStart->setText(string(running ? 252 : 251));
    logStart->setEnabled(!m_offline && (running || enable));
    setLamp(LogLamp, running ? 131 : 136);
    // During a transfer AcquisitionStop stays available.
    const bool transfer = m_exchange.state() == ViewerExchange::State::Transfer;
    m_buttons.value(AcquireButton)->setEnabled(!m_offline && (transfer || (enable && ready)));
    setLamp(RecordLamp, ready ? 133 : 132);
    for (int id : {AutoButton, FileButton, ExitButton, 1104, 1105, 1106, 1107})
        m_buttons.value(id)->setEnabled(enable);
    m_buttons.value(TerminalButton)->setEnabled(enable && !m_offline);
}

void ViewerWindow::editConditions()
{
    m_exchange.beginConditions();
    for (int id : {TerminalButton, AutoButton, FileButton, ExitButton, 1104, 1105, 1106, 1107,
                   AcquireButton})
        m_buttons.value(id)->setEnabled(false);
    ConditionDialog dialog(this);
    dialog.load();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) {
        // The dialog's channel choice shows at once; the record stays.
        LogConditions::active().channelShown = LogConditions::edited().channelShown;
    }
    m_exchange.finishConditions(accepted);
    if (accepted) {
        setLongNames();
        showPass();
    }
}

void ViewerWindow::openTerminal()
{
    if (!m_terminal)
        m_terminal = new SimpleTerminalWindow(m_link, this);
    m_terminal->openBeside();
}

void ViewerWindow::wentOffline()
{
    m_offline = true;
    setWindowTitle(windowTitle() + string(272));
    for (int id : {LogStartButton, AcquireButton, TerminalButton})
        m_buttons.value(id)->setEnabled(false);
}

void ViewerWindow::showFileTitle()
{
    // Only a graph file puts its name into the title.
    const QString shown = m_files.takeShownGraph();
    if (!shown.isEmpty())
        setWindowTitle(ViewerFiles::titleWithFile(windowTitle(), DialogTexts::caption(249), shown));
}

void ViewerWindow::fileOperations()
{
    m_exchange.stopPolling();
    FileOperationDialog dialog(
        m_files, [this] { return plotPng(); }, this);
    const bool loaded = dialog.run();
    m_exchange.onFileShown(loaded);
    // Shown at once; the drive's reset may take a moment.
    if (loaded)
        redraw();
}

QByteArray ViewerWindow::plotPng() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!m_graph->grab().save(&buffer, "PNG"))
        return {};
    return bytes;
}
