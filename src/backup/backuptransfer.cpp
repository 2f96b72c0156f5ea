#include "backuptransfer.h"

#include "app/userprompt.h"
#include "backupsections.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace {

using CatalogueText::format;
using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");
const QString paragraph = QStringLiteral("\n\n");

} // namespace

BackupTransfer::BackupTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{
    m_parameters = new ParameterSection(link, prompt);
    addSection(m_parameters);
    addSection(new IoConfigSection(link, prompt));
    addSection(new ProgramSection(link, prompt));
    addSection(new IndexTableSection(IndexTableKind::typeA(), link, prompt));
    addSection(new IndexTableSection(IndexTableKind::typeB(), link, prompt));
    m_cams = new CamSection(link, prompt);
    addSection(m_cams);
    addSection(new AccuracySection(link, prompt));
}

BackupTransfer::~BackupTransfer() = default;

QString BackupTransfer::fileFilter()
{
    return text(273) + QStringLiteral(" (*.wha)");
}

int BackupTransfer::orderOf(int code)
{
    static const QList<int> order{BackupIndex::Parameters,     BackupIndex::IoConfig,
                                  BackupIndex::Programs,       BackupIndex::IndexTables,
                                  BackupIndex::DivisionTables, BackupIndex::CamProfiles,
                                  BackupIndex::Accuracy};
    const qsizetype place = order.indexOf(code);
    return place < 0 ? int(order.size()) : int(place);
}

void BackupTransfer::addSection(BackupSection *section)
{
    section->setParent(this);
    section->setUser(*m_prompt);
    const auto place = std::upper_bound(m_sections.begin(), m_sections.end(), section,
                                        [](const BackupSection *a, const BackupSection *b) {
                                            return orderOf(a->code()) < orderOf(b->code());
                                        });
    m_sections.insert(place, section);
    connect(section, &BackupSection::lampToggled, this, &BackupTransfer::lampToggled);
    connect(section, &BackupSection::finished, this, &BackupTransfer::onSectionFinished);
    connect(section, &BackupSection::itemStarted, this, [this, section](const QString &item) {
        Q_EMIT progress(int(m_run.indexOf(section)), int(m_run.size()), section->code(), item);
    });
}

void BackupTransfer::setPrompt(UserPrompt &prompt)
{
    m_prompt = &prompt;
    for (BackupSection *section : std::as_const(m_sections))
        section->setUser(prompt);
}

ParameterTransfer &BackupTransfer::parameterTransfer()
{
    return m_parameters->transfer();
}

void BackupTransfer::setClock(const std::function<QDateTime()> &clock)
{
    m_parameters->transfer().setClock(clock);
    m_cams->setClock(clock);
}

// --- Common ----------------------------------------------------------------

void BackupTransfer::begin(Mode mode)
{
    m_mode = mode;
    m_current = -1;
    m_run.clear();
    m_written.clear();
    m_restoreEntries.clear();
    Q_EMIT busyChanged(true);
}

void BackupTransfer::end(Outcome outcome, const QString &message)
{
    m_mode = Mode::Idle;
    m_stagingSync.reset();
    m_staging.reset();
    m_run.clear();
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void BackupTransfer::stop(Outcome outcome, const QString &message)
{
    // Nothing staged is kept: the earlier set stays as it was.
    m_stagingSync.reset();
    m_staging.reset();
    if (!message.isEmpty())
        m_prompt->message(message);
    m_pendingOutcome = outcome;
    m_pendingMessage = message;
    m_mode = Mode::Restarting;
    m_link.send(DriveCommand::restart(), true, DriveLink::DefaultTimeoutMs);
}

void BackupTransfer::onLinkReply(const QByteArray &line)
{
    if (m_mode == Mode::Restarting) {
        // A drive that answers the restart: the end as well.
        end(m_pendingOutcome, m_pendingMessage);
        return;
    }
    if (m_mode != Mode::Idle && m_current >= 0 && m_current < m_run.size())
        m_run.at(m_current)->onLinkReply(line);
}

void BackupTransfer::onLinkTimeout()
{
    if (m_mode == Mode::Restarting) {
        // The drive restarts and stays silent: the normal end.
        end(m_pendingOutcome, m_pendingMessage);
        return;
    }
    if (m_mode != Mode::Idle && m_current >= 0 && m_current < m_run.size())
        m_run.at(m_current)->onLinkTimeout();
}

void BackupTransfer::nextSection()
{
    ++m_current;
    if (m_current >= m_run.size()) {
        if (m_mode == Mode::BackingUp)
            commitBackup();
        else
            finishRestore();
        return;
    }
    BackupSection *section = m_run.at(m_current);
    Q_EMIT progress(m_current, int(m_run.size()), section->code(), QString());
    if (m_mode == Mode::BackingUp)
        section->backup(m_staging->path(), m_baseName);
    else
        section->restore(m_restoreEntries.value(section->code()), m_folder);
}

void BackupTransfer::onSectionFinished(BackupSection::Outcome outcome, const QString &message)
{
    if (m_mode != Mode::BackingUp && m_mode != Mode::Restoring)
        return;
    if (outcome == BackupSection::Outcome::Succeeded) {
        if (m_mode == Mode::BackingUp)
            m_written += m_run.at(m_current)->written();
        nextSection();
        return;
    }
    if (m_mode == Mode::Restoring) {
        stop(outcome == BackupSection::Outcome::Cancelled ? Outcome::Cancelled : Outcome::Failed,
             message.isEmpty() ? text(173) : message + lineBreak + text(173));
        return;
    }
    // The section's message names its files in the staging folder; the user
    // knows them by the set's folder.
    QString said = message;
    said.replace(QDir(m_staging->path()).filePath(QString()), QDir(m_folder).filePath(QString()));
    QString reason = said.isEmpty() ? text(172) : said + paragraph + text(172);
    if (QFileInfo::exists(m_indexPath))
        reason += lineBreak + format(1203, {m_indexPath});
    stop(outcome == BackupSection::Outcome::Cancelled ? Outcome::Cancelled : Outcome::Failed,
         reason);
}

// --- Backup ----------------------------------------------------------------

QString BackupTransfer::existingFiles() const
{
    // In the order of the section codes, as the question has always listed them.
    QList<BackupSection *> byCode = m_sections;
    std::sort(byCode.begin(), byCode.end(),
              [](const BackupSection *a, const BackupSection *b) { return a->code() < b->code(); });
    QString list;
    for (const BackupSection *section : std::as_const(byCode)) {
        if (section->hasFilesIn(m_folder, m_baseName))
            list += QLatin1Char(' ') + m_baseName +
                    (section->isNumbered() ? QStringLiteral("*") : QString()) + QLatin1Char('.') +
                    section->extension() + QStringLiteral(" ,\n");
    }
    return list;
}

void BackupTransfer::backup()
{
    if (isBusy())
        return;
    UserPrompt::FileRequest request;
    request.save = true;
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("wha");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    const QFileInfo info(path);
    m_indexPath = info.absoluteFilePath();
    m_folder = info.absolutePath();
    m_baseName = info.completeBaseName();
    begin(Mode::BackingUp);
    const QString existing = existingFiles();
    if (!existing.isEmpty() && !m_prompt->askYesNo(format(174, {existing}))) {
        stop(Outcome::Cancelled, text(172));
        return;
    }
    m_staging = BackupIndex::makeStaging(m_folder, m_baseName);
    if (!m_staging) {
        stop(Outcome::Failed, m_indexPath + lineBreak + text(109) + lineBreak + text(172));
        return;
    }
    m_stagingSync = std::make_unique<SafeFileWriter::DeferredSync>(m_staging->path());
    m_run = m_sections;
    nextSection();
}

void BackupTransfer::commitBackup()
{
    const QString indexName = QFileInfo(m_indexPath).fileName();
    const QString staged = QDir(m_staging->path()).filePath(indexName);
    SafeFileWriter::Failure failure = SafeFileWriter::Failure::None;
    QString reason;
    if (!SafeFileWriter::writeWhole(staged, BackupIndex::compose(m_written), &failure, &reason)) {
        stop(Outcome::Failed,
             m_indexPath + lineBreak + format(1004, {reason}) + paragraph + text(172));
        return;
    }
    // Every section ended well: the files take their places, the index last,
    // so that an index never names a file of another set.
    QStringList names;
    for (const BackupIndex::Entry &entry : std::as_const(m_written))
        names.append(entry.name);
    names.append(indexName);
    QString failedPath;
    if (!m_stagingSync->sync(&failedPath, &reason)) {
        failedPath.replace(QDir(m_staging->path()).filePath(QString()),
                           QDir(m_folder).filePath(QString()));
        stop(Outcome::Failed,
             failedPath + lineBreak + format(1004, {reason}) + paragraph + text(172));
        return;
    }
    if (!BackupIndex::commitStaged(m_staging->path(), m_folder, names, &failedPath, &reason)) {
        stop(Outcome::Failed,
             failedPath + lineBreak + format(1004, {reason}) + paragraph + text(172));
        return;
    }
    const QString message = text(170);
    m_prompt->message(message);
    end(Outcome::Succeeded, message);
}

// --- Restore ---------------------------------------------------------------

void BackupTransfer::restore()
{
    if (isBusy())
        return;
    UserPrompt::FileRequest request;
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("wha");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    m_indexPath = path;
    m_folder = QFileInfo(path).absolutePath();
    begin(Mode::Restoring);
    if (!path.endsWith(QLatin1String("wha"))) {
        stop(Outcome::Failed, path + paragraph + text(274));
        return;
    }
    if (!checkIndex(BackupIndex::read(path)))
        return;
    for (BackupSection *section : std::as_const(m_sections)) {
        if (m_restoreEntries.contains(section->code()))
            m_run.append(section);
    }
    nextSection();
}

bool BackupTransfer::checkIndex(const BackupIndex::Result &index)
{
    const QString abort = lineBreak + text(173);
    switch (index.fault) {
    case BackupIndex::Fault::None:
        break;
    case BackupIndex::Fault::CannotOpen:
        stop(Outcome::Failed, m_indexPath + lineBreak + text(109) + abort);
        return false;
    case BackupIndex::Fault::Malformed:
        stop(Outcome::Failed, m_indexPath + lineBreak + format(1202, {index.line}) + abort);
        return false;
    case BackupIndex::Fault::UnsafeName:
        stop(Outcome::Failed,
             m_indexPath + lineBreak + format(1201, {index.line, index.name}) + abort);
        return false;
    }
    // The whole set is checked before the drive hears of it: every line names
    // a section this program restores, an item the section has, and a file
    // that is there and that its section's download takes.
    for (const BackupIndex::Entry &entry : index.entries) {
        const auto section =
            std::find_if(m_sections.cbegin(), m_sections.cend(),
                         [&](const BackupSection *s) { return s->code() == entry.code; });
        if (section == m_sections.cend()) {
            stop(Outcome::Failed,
                 m_indexPath + lineBreak + format(1200, {entry.line, entry.code}) + abort);
            return false;
        }
        if (!(*section)->acceptsItem(entry.item)) {
            stop(Outcome::Failed, m_indexPath + lineBreak + format(1202, {entry.line}) + abort);
            return false;
        }
        const QString file = QDir(m_folder).filePath(entry.name);
        if (!QFileInfo(file).isFile()) {
            stop(Outcome::Failed, file + lineBreak + text(109) + abort);
            return false;
        }
        if (const QString refusal = (*section)->checkFile(file); !refusal.isEmpty()) {
            stop(Outcome::Failed, refusal + abort);
            return false;
        }
        m_restoreEntries[entry.code].append(entry);
    }
    return true;
}

void BackupTransfer::finishRestore()
{
    QString message = text(171);
    if (!m_run.isEmpty()) {
        const ParameterTransfer &parameters = m_parameters->transfer();
        if (m_run.contains(m_parameters) && parameters.hasRejected())
            message +=
                lineBreak + text(168) + lineBreak + DriveText::decode(parameters.rejectedKeys());
        message += paragraph + text(160);
    }
    stop(Outcome::Succeeded, message);
}
