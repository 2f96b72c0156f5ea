#include "parameterviewdialog.h"

#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "link/drivetext.h"
#include "parameterprintout.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool choosePrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    // All pages, no page range and no selection; printing to a (PDF) file is
    // one of the printers on offer.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

ParameterViewDialog::ParameterViewDialog(QWidget *parent)
    : QDialog(parent)
    , m_edit(new QPlainTextEdit(this))
    , m_print(new QPushButton(QStringLiteral("Print(&P)"), this))
    , m_exit(new QPushButton(QStringLiteral("Exit(&X)"), this))
    , m_chooser(choosePrinter)
{
    DialogTexts::tag(m_edit, 1072);
    DialogTexts::tag(m_print, 1215);
    DialogTexts::tag(m_exit, 1);
    // The text is there to read and to copy, never to edit.
    m_edit->setReadOnly(true);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_exit->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_print);
    buttons->addWidget(m_exit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);

    connect(m_print, &QPushButton::clicked, this, &ParameterViewDialog::print);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
    DialogTexts::apply(this, 118);
}

QPushButton *ParameterViewDialog::button(int controlId) const
{
    switch (controlId) {
    case 1215:
        return m_print;
    case 1:
        return m_exit;
    default:
        return nullptr;
    }
}

void ParameterViewDialog::setFile(const QByteArrayList &lines, const QString &path)
{
    DialogTexts::apply(this, 118);
    m_path = path;
    m_lines.clear();
    m_lines.reserve(lines.size());
    for (const QByteArray &line : lines)
        m_lines.append(DriveText::decode(line));

    if (AppSettings::instance().english()) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setStyleHint(QFont::TypeWriter);
        m_edit->setFont(font);
    } else {
        m_edit->setFont(font());
    }
    m_edit->setPlainText(m_lines.join(QLatin1Char('\n')));
    // Wide enough for a file's 79 columns, as tall as the screen allows.
    const QFontMetrics metrics(m_edit->font());
    m_edit->setMinimumWidth(metrics.horizontalAdvance(QString(82, QLatin1Char('M'))));
    m_edit->setMinimumHeight(metrics.lineSpacing() * 30);
    m_exit->setFocus();
}

QString ParameterViewDialog::text() const
{
    QString joined;
    for (const QString &line : m_lines)
        joined += line + QStringLiteral("\r\n");
    return joined;
}

void ParameterViewDialog::print()
{
    QPrinter printer;
    if (!m_chooser(printer, this))
        return;
    m_print->setEnabled(false);
    m_exit->setEnabled(false);
    // A printer that fails ends the job; there is nothing more to say.
    ParameterPrintout::print(printer, m_lines, m_path);
    m_print->setEnabled(true);
    m_exit->setEnabled(true);
    m_exit->setFocus();
}
