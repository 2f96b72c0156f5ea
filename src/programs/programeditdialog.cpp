#include "programeditdialog.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/safefilewriter.h"
#include "link/drivetext.h"
#include "programfile.h"
#include "programindexdialog.h"
#include "programprintout.h"
#include "programpropertydialog.h"
#include "programtext.h"
#include "resources/cataloguetext.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

constexpr int downloadButton = 1004;
constexpr int uploadButton = 1005;
constexpr int deleteButton = 1006;
constexpr int indexButton = 1007;
constexpr int openButton = 1008;
constexpr int saveButton = 1009;
constexpr int printButton = 1215;
constexpr int resetButton = 1061;
constexpr int exitButton = 1;

using CatalogueText::text;

bool choosePrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

UserPrompt::FileRequest programFileRequest(bool save)
{
    UserPrompt::FileRequest request;
    request.save = save;
    request.filter = ProgramTransfer::programFilter();
    request.defaultSuffix = QStringLiteral("prg");
    return request;
}

} // namespace

ProgramEditDialog::ProgramEditDialog(DriveLink &link, QWidget *parent)
    : FeatureMenuDialog(parent)
    , m_prompt(this)
    , m_transfer(link, m_prompt)
    , m_linkHold(link, m_transfer)
    , m_edits{new QPlainTextEdit(this), new QPlainTextEdit(this)}
    , m_property(new ProgramPropertyDialog(this))
    , m_index(new ProgramIndexDialog(this))
    , m_chooser(choosePrinter)
{
    QLabel *lamp = addLamp();
    // Program lines stand in columns (the comments at 30, 40, …): a
    // fixed-pitch font, 80 columns and a little more.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    auto *windows = new QVBoxLayout;
    for (int w = Top; w <= Bottom; ++w) {
        QPlainTextEdit *edit = m_edits.at(size_t(w));
        edit->setFont(font);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setTabChangesFocus(false);
        const QFontMetrics metrics(font);
        edit->setMinimumWidth(metrics.horizontalAdvance(QString(84, QLatin1Char('M'))));
        edit->setMinimumHeight(metrics.lineSpacing() * 12);
        edit->installEventFilter(this);
        auto *caption = new QLabel(this);
        DialogTexts::tag(caption, w == Top ? 1501 : 1502);
        caption->setBuddy(edit);
        windows->addWidget(caption);
        windows->addWidget(edit, 1);
    }

    auto *operations = new QVBoxLayout;
    for (int id : {downloadButton, uploadButton, deleteButton, indexButton, openButton, saveButton,
                   printButton, resetButton})
        operations->addWidget(addButton(id));
    operations->addStretch(1);
    QPushButton *exit = addButton(exitButton);
    operations->addWidget(exit);

    auto *layout = new QGridLayout(this);
    layout->addLayout(windows, 0, 0, 2, 1);
    layout->addWidget(lamp, 0, 1, Qt::AlignRight | Qt::AlignTop);
    layout->addLayout(operations, 1, 1);
    layout->setColumnStretch(0, 1);

    connect(button(downloadButton), &QPushButton::clicked, this, &ProgramEditDialog::download);
    connect(button(uploadButton), &QPushButton::clicked, this, &ProgramEditDialog::upload);
    connect(button(deleteButton), &QPushButton::clicked, this, &ProgramEditDialog::deleteProgram);
    connect(button(indexButton), &QPushButton::clicked, this, &ProgramEditDialog::showIndex);
    connect(button(openButton), &QPushButton::clicked, this, &ProgramEditDialog::openFile);
    connect(button(saveButton), &QPushButton::clicked, this, &ProgramEditDialog::saveFile);
    connect(button(printButton), &QPushButton::clicked, this, &ProgramEditDialog::print);
    connect(button(resetButton), &QPushButton::clicked, this,
            &ProgramEditDialog::resetCommunication);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    // The options shown follow the window chosen in "Property".
    connect(m_property->windowBox(), &QComboBox::currentIndexChanged, this, [this](int window) {
        if (window >= 0 && window <= Bottom)
            m_property->setOptions(m_options.at(size_t(window)));
    });

    follow(m_transfer);
    setLinkHold(&m_linkHold);
    connect(
        &m_transfer, &ProgramTransfer::finished, this,
        [this](ProgramTransfer::Outcome outcome, const QString &) { transferFinished(outcome); });

    DialogTexts::apply(this, 213);
}

ProgramEditDialog::~ProgramEditDialog() = default;

void ProgramEditDialog::promptChanged(UserPrompt *given)
{
    m_prompt.setStandIn(given);
    m_property->setPrompt(given);
}

bool ProgramEditDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int w = Top; w <= Bottom; ++w) {
            if (watched == m_edits.at(size_t(w)))
                m_active = w;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QByteArrayList ProgramEditDialog::lines(int window) const
{
    QString shown = editor(window)->toPlainText();
    shown.remove(QLatin1Char('\r'));
    QStringList split = shown.split(QLatin1Char('\n'));
    if (split.size() > 1 && split.last().isEmpty())
        split.removeLast();
    if (split.size() == 1 && split.first().isEmpty())
        split.clear();
    QByteArrayList result;
    result.reserve(split.size());
    for (const QString &line : split)
        result.append(DriveText::encode(line));
    return result;
}

void ProgramEditDialog::setLines(int window, const QByteArrayList &lines)
{
    QStringList shown;
    shown.reserve(lines.size());
    for (const QByteArray &line : lines)
        shown.append(DriveText::decode(line));
    editor(window)->setPlainText(shown.join(QLatin1Char('\n')));
}

bool ProgramEditDialog::askProperty(int mode, int highest)
{
    m_property->setMode(ProgramPropertyDialog::Mode(mode), highest);
    m_property->setWindow(m_active);
    m_property->setOptions(m_options.at(size_t(m_active)));
    if (m_property->exec() != QDialog::Accepted)
        return false;
    m_active = m_property->window();
    m_target = m_active;
    return true;
}

QString ProgramEditDialog::lineMessage(int line, int textId) const
{
    return Catalogue::instance().format(1051, {line + 1}) + QLatin1Char(' ') + text(textId);
}

void ProgramEditDialog::selectLine(int window, int line)
{
    QPlainTextEdit *edit = editor(window);
    const QTextBlock block = edit->document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
    edit->setFocus();
}

void ProgramEditDialog::transferFinished(ProgramTransfer::Outcome outcome)
{
    switch (m_transfer.operation()) {
    case ProgramTransfer::Register:
        if (outcome == ProgramTransfer::Outcome::Failed && m_transfer.failedLine() >= 0)
            selectLine(m_target, m_transfer.failedLine());
        break;
    case ProgramTransfer::Read:
        if (outcome == ProgramTransfer::Outcome::Succeeded) {
            setLines(m_target, m_transfer.readLines());
            m_options.at(size_t(m_target)) = ProgramText::parseOption(m_transfer.readOption()) & 3;
        }
        break;
    case ProgramTransfer::Index:
        if (outcome == ProgramTransfer::Outcome::Succeeded) {
            m_index->setIndex(m_transfer.indexLines(), m_transfer.freeBlocks());
            m_index->exec();
        }
        break;
    default:
        break;
    }
}

void ProgramEditDialog::download()
{
    if (m_transfer.isBusy() || !askProperty(ProgramPropertyDialog::Download))
        return;
    const int window = m_target;
    m_options.at(size_t(window)) = m_property->options();
    ProgramText::PrepareFailure failure;
    const std::optional<ProgramText::Prepared> prepared =
        ProgramText::prepare(lines(window), &failure);
    if (!prepared) {
        int id = 198;
        if (failure.fault == ProgramText::LineFault::CommentOver)
            id = 236;
        else if (failure.fault == ProgramText::LineFault::NotText)
            id = 1050;
        m_prompt.message(lineMessage(failure.line, id));
        selectLine(window, failure.line);
        return;
    }
    m_transfer.registerLines(m_property->number(), *prepared,
                             ProgramText::optionText(m_options.at(size_t(window))));
}

void ProgramEditDialog::upload()
{
    if (m_transfer.isBusy() || !askProperty(ProgramPropertyDialog::Upload))
        return;
    m_transfer.read(m_property->number());
}

void ProgramEditDialog::deleteProgram()
{
    if (m_transfer.isBusy() ||
        !askProperty(ProgramPropertyDialog::NumberOnly, ProgramText::HighestRegistered))
        return;
    m_transfer.remove(m_property->number());
}

void ProgramEditDialog::showIndex()
{
    if (!m_transfer.isBusy())
        m_transfer.list();
}

void ProgramEditDialog::resetCommunication()
{
    if (!m_transfer.isBusy())
        m_transfer.resetCommunication();
}

void ProgramEditDialog::openFile()
{
    if (m_transfer.isBusy() || !askProperty(ProgramPropertyDialog::WindowOnly))
        return;
    const QString path = m_prompt.chooseFile(programFileRequest(false));
    if (path.isEmpty())
        return;
    if (!ProgramFile::isProgramFile(path)) {
        m_prompt.message(path + QStringLiteral("\n\n") + text(182));
        return;
    }
    ProgramFile::ReadFailure failure = ProgramFile::ReadFailure::None;
    const std::optional<ProgramFile::Content> content = ProgramFile::readForEditor(path, &failure);
    if (!content) {
        const int id = failure == ProgramFile::ReadFailure::TooLarge ? 1053 : 109;
        m_prompt.message(path + QLatin1Char('\n') + text(id));
        return;
    }
    setLines(m_target, content->lines);
    // A file without an option line leaves the window's flags as they were.
    if (content->hasOption)
        m_options.at(size_t(m_target)) = ProgramText::parseOption(content->option) & 3;
}

void ProgramEditDialog::saveFile()
{
    if (m_transfer.isBusy() || !askProperty(ProgramPropertyDialog::Save))
        return;
    const int window = m_target;
    m_options.at(size_t(window)) = m_property->options();
    const QByteArrayList program = lines(window);
    // Every line is checked before a file is chosen, opened or touched.
    for (qsizetype i = 0; i < program.size(); ++i) {
        if (program.at(i).size() > ProgramText::MaxLineLength) {
            m_prompt.message(lineMessage(int(i), 198));
            selectLine(window, int(i));
            return;
        }
    }
    const QString path = m_prompt.chooseFile(programFileRequest(true));
    if (path.isEmpty())
        return;
    if (!ProgramFile::isProgramFile(path)) {
        m_prompt.message(path + QStringLiteral("\n\n") + text(182));
        return;
    }
    const QByteArray bytes =
        ProgramFile::compose(ProgramText::optionText(m_options.at(size_t(window))), program);
    m_prompt.message(text(SafeFileWriter::writeWhole(path, bytes) ? 121 : 120));
}

void ProgramEditDialog::print()
{
    if (m_transfer.isBusy() || !askProperty(ProgramPropertyDialog::WindowOnly))
        return;
    const int window = m_target;
    QStringList shown;
    for (const QByteArray &line : lines(window))
        shown.append(DriveText::decode(line));
    const int tooLong = ProgramPrintout::firstTooLong(shown);
    if (tooLong >= 0) {
        m_prompt.message(lineMessage(tooLong, 198));
        selectLine(window, tooLong);
        return;
    }
    QPrinter printer;
    if (!m_chooser(printer, this))
        return;
    setBusy(true);
    const bool printed = ProgramPrintout::print(printer, shown);
    setBusy(false);
    if (!printed)
        m_prompt.message(text(102));
}
