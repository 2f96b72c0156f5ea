#include "programindexdialog.h"

#include "app/dialogtexts.h"
#include "link/drivetext.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

ProgramIndexDialog::ProgramIndexDialog(QWidget *parent)
    : QDialog(parent)
    , m_list(new QPlainTextEdit(this))
    , m_free(new QLabel(this))
{
    m_list->setReadOnly(true);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The numbers stand in columns.
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(m_list->font());
    m_list->setMinimumSize(metrics.horizontalAdvance(QString(16, QLatin1Char('0'))),
                           metrics.lineSpacing() * 16);
    m_free->setFont(m_list->font());
    m_free->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *caption = new QLabel(this);
    DialogTexts::tag(caption, 1501);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Ok), 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *remain = new QHBoxLayout;
    remain->addWidget(caption);
    remain->addWidget(m_free, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(remain);
    layout->addWidget(buttons);
    DialogTexts::apply(this, 214);
}

void ProgramIndexDialog::setIndex(const QByteArrayList &lines, const QByteArray &freeBlocks)
{
    DialogTexts::apply(this, 214);
    // The box shows the lines without their line ends; text() gives them back.
    QStringList shown;
    for (const QByteArray &line : lines)
        shown.append(DriveText::decode(line).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')));
    m_list->setPlainText(shown.join(QLatin1Char('\n')));
    m_free->setText(DriveText::decode(freeBlocks.trimmed()));
}

QString ProgramIndexDialog::text() const
{
    return m_list->toPlainText();
}

QString ProgramIndexDialog::freeBlocks() const
{
    return m_free->text();
}
