#include "commstringwindow.h"

#include "app/dialogtexts.h"
#include "drivelink.h"
#include "sessionlogmenu.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

CommStringWindow::CommStringWindow(DriveLink &link, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_link(link)
    , m_text(new QPlainTextEdit(this))
{
    DialogTexts::tag(m_text, 1002);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFont(QStringLiteral("Monospace"), 9));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_text);
    // Room for the 28 lines the log shows and for an identification line
    // (" <- R5Z" with the title, ID and four versions) without scrolling.
    const QFontMetrics metrics(m_text->font());
    const int frame = 2 * (m_text->frameWidth() + int(m_text->document()->documentMargin())) + 8;
    resize(metrics.horizontalAdvance(QLatin1Char('M')) * 72 + frame +
               m_text->verticalScrollBar()->sizeHint().width(),
           metrics.lineSpacing() * 28 + frame + m_text->horizontalScrollBar()->sizeHint().height());
    DialogTexts::apply(this, 103);
    connect(&m_link, &DriveLink::logged, this, &CommStringWindow::refresh);
    refresh();
    // The traffic can go to a file, a time on every line.
    auto *saving = new SessionLogMenu(
        m_text, [this] { return SessionLog::entryBodies(m_link.trafficLog().lines()); });
    connect(&m_link, &DriveLink::logged, saving, [saving](const QString &entry) {
        saving->append(SessionLog::entryBody(entry).toString());
    });
}

QString CommStringWindow::shownText() const
{
    return m_text->toPlainText();
}

void CommStringWindow::refresh()
{
    // A sent line carries its own CR before the entry's CR LF; a text box
    // shows neither.
    QString text = m_link.trafficLog().visibleText();
    text.remove(QLatin1Char('\r'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    m_text->setPlainText(text);
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
}
