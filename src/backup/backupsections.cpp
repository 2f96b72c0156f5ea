#include "backupsections.h"

#include "app/batchfile.h"
#include "cam/camfile.h"
#include "programs/programtext.h"
#include "resources/catalogue.h"

#include <QFile>

namespace {

const QString lineBreak = QStringLiteral("\n");

} // namespace

// --- Parameters ------------------------------------------------------------

ParameterSection::ParameterSection(DriveLink &link, UserPrompt &user)
    : TransferSection(BackupIndex::Parameters, QStringLiteral("prm"), false, 0, user, link)
{
    m_transfer.setRestartAfterDownload(false);
    connect(&m_transfer, &ParameterTransfer::lampToggled, this, &BackupSection::lampToggled);
    connect(&m_transfer, &ParameterTransfer::finished, this,
            [this](ParameterTransfer::Outcome outcome, const QString &message) {
                if (outcome == ParameterTransfer::Outcome::Succeeded && !m_restoring)
                    addWritten(0, fileName(m_baseName, 0));
                end(outcomeOf(outcome), message);
            });
}

void ParameterSection::startBackup()
{
    const QString name = fileName(m_baseName, 0);
    m_prompt.setFile(path(name));
    Q_EMIT itemStarted(name);
    m_transfer.upload();
}

void ParameterSection::startRestore()
{
    // One parameter file; a second line of the section names nothing more.
    const QString name = m_entries.first().name;
    m_prompt.setFile(path(name));
    Q_EMIT itemStarted(name);
    m_transfer.download();
}

// --- I/O configuration -----------------------------------------------------

IoConfigSection::IoConfigSection(DriveLink &link, UserPrompt &user)
    : TransferSection(BackupIndex::IoConfig, QStringLiteral("ioc"), false, 0, user, link)
{
    m_transfer.setRestartAfterDownload(false);
    connect(&m_transfer, &IoConfigTransfer::lampToggled, this, &BackupSection::lampToggled);
    connect(&m_transfer, &IoConfigTransfer::finished, this,
            [this](IoConfigTransfer::Outcome outcome, const QString &message) {
                if (outcome == IoConfigTransfer::Outcome::Succeeded && !m_restoring)
                    addWritten(0, fileName(m_baseName, 0));
                end(outcomeOf(outcome), message);
            });
}

void IoConfigSection::startBackup()
{
    const QString name = fileName(m_baseName, 0);
    m_prompt.setFile(path(name));
    Q_EMIT itemStarted(name);
    m_transfer.upload();
}

void IoConfigSection::startRestore()
{
    const QString name = m_entries.first().name;
    m_prompt.setFile(path(name));
    Q_EMIT itemStarted(name);
    m_transfer.download();
}

// --- Programs ----------------------------------------------------------------

ProgramSection::ProgramSection(DriveLink &link, UserPrompt &user)
    : TransferSection(BackupIndex::Programs, QStringLiteral("prg"), true,
                      ProgramText::HighestRegistered, user, link)
{
    connect(&m_transfer, &ProgramTransfer::lampToggled, this, &BackupSection::lampToggled);
    connect(&m_transfer, &ProgramTransfer::finished, this, &ProgramSection::onFinished);
}

void ProgramSection::startBackup()
{
    m_listing = true;
    m_items.clear();
    m_next = 0;
    m_transfer.list();
}

void ProgramSection::startRestore()
{
    m_listing = false;
    m_next = 0;
    next();
}

void ProgramSection::onFinished(ProgramTransfer::Outcome outcome, const QString &message)
{
    if (outcome != ProgramTransfer::Outcome::Succeeded) {
        end(outcomeOf(outcome), message);
        return;
    }
    if (m_listing) {
        // The numbers a program can be registered under, as a batch takes them.
        m_listing = false;
        for (int number : m_transfer.listedNumbers()) {
            if (acceptsItem(number) && !m_items.contains(number))
                m_items.append(number);
        }
    } else if (!m_restoring) {
        const int number = m_items.at(m_next - 1);
        addWritten(number, fileName(m_baseName, number));
    }
    next();
}

void ProgramSection::next()
{
    const int count = m_restoring ? int(m_entries.size()) : int(m_items.size());
    if (m_next >= count) {
        end(Outcome::Succeeded);
        return;
    }
    const int index = m_next++;
    const int number = m_restoring ? m_entries.at(index).item : m_items.at(index);
    const QString name = m_restoring ? m_entries.at(index).name : fileName(m_baseName, number);
    m_prompt.setFile(path(name));
    Q_EMIT itemStarted(name);
    if (m_restoring)
        m_transfer.download(number);
    else
        m_transfer.upload(number);
}

// --- Index and unequal division tables -----------------------------------------

IndexTableSection::IndexTableSection(const IndexTableKind &kind, DriveLink &link, UserPrompt &user)
    : TransferSection(&kind == &IndexTableKind::typeA() ? BackupIndex::IndexTables
                                                        : BackupIndex::DivisionTables,
                      kind.extension, true, 1, user, kind, link)
{
    connect(&m_transfer, &IndexTableTransfer::lampToggled, this, &BackupSection::lampToggled);
    connect(&m_transfer, &IndexTableTransfer::finished, this, &IndexTableSection::onFinished);
}

void IndexTableSection::startBackup()
{
    // The kind's batch upload reads every stored table and writes the table
    // files with a batch file that names them; the backup's index takes the
    // batch file's lines, and the batch file itself is not part of the set.
    m_batchPath = path(m_baseName + QLatin1Char('.') + m_transfer.kind().batchExtension);
    Q_EMIT itemStarted(m_baseName + QLatin1Char('*') + QLatin1Char('.') + extension());
    m_transfer.batchUpload(m_batchPath);
}

void IndexTableSection::startRestore()
{
    next();
}

void IndexTableSection::onFinished(IndexTableTransfer::Outcome outcome, const QString &message)
{
    if (m_restoring) {
        if (outcome == IndexTableTransfer::Outcome::Succeeded)
            next();
        else
            end(outcomeOf(outcome), message);
        return;
    }
    if (outcome != IndexTableTransfer::Outcome::Succeeded) {
        // A drive without a stored table of this kind has nothing to save.
        if (message == Catalogue::instance().string(m_transfer.kind().noneStoredText))
            end(Outcome::Succeeded);
        else
            end(outcomeOf(outcome), message);
        return;
    }
    const BatchFile::Result batch = BatchFile::read(m_batchPath, 0, 1, 2);
    QFile::remove(m_batchPath);
    if (batch.fault != BatchFile::Fault::None) {
        end(Outcome::Failed, m_batchPath + lineBreak + Catalogue::instance().string(109));
        return;
    }
    for (const BatchFile::Entry &entry : batch.entries)
        addWritten(entry.number, entry.name);
    end(Outcome::Succeeded);
}

void IndexTableSection::next()
{
    if (const BackupIndex::Entry *entry = nextEntry())
        m_transfer.download(entry->item, path(entry->name));
    else
        end(Outcome::Succeeded);
}

// --- Cam profiles ----------------------------------------------------------------

CamSection::CamSection(DriveLink &link, UserPrompt &user)
    : TransferSection(BackupIndex::CamProfiles, QStringLiteral("cdt"), true,
                      CamProfile::HighestNumber, user, link)
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    setLowestItem(CamProfile::LowestNumber);
    connect(&m_transfer, &CamTransfer::lampToggled, this, &BackupSection::lampToggled);
    connect(&m_transfer, &CamTransfer::finished, this, &CamSection::onFinished);
}

void CamSection::startBackup()
{
    m_date = m_clock();
    m_next = CamProfile::LowestNumber;
    next();
}

void CamSection::startRestore()
{
    next();
}

void CamSection::onFinished(CamTransfer::Outcome outcome, const QString &message)
{
    if (!m_restoring && outcome == CamTransfer::Outcome::NotRegistered) {
        next();
        return;
    }
    if (outcome != CamTransfer::Outcome::Succeeded) {
        end(outcomeOf(outcome), message);
        return;
    }
    if (!m_restoring)
        addWritten(m_next - 1, fileName(m_baseName, m_next - 1));
    next();
}

void CamSection::next()
{
    if (m_restoring) {
        if (const BackupIndex::Entry *entry = nextEntry())
            m_transfer.download(entry->item, path(entry->name));
        else
            end(Outcome::Succeeded);
        return;
    }
    if (m_next > CamProfile::HighestNumber) {
        end(Outcome::Succeeded);
        return;
    }
    const int number = m_next++;
    const QString name = fileName(m_baseName, number);
    m_transfer.setComments(CamFile::header(name, number, m_date));
    Q_EMIT itemStarted(name);
    m_transfer.upload(number, path(name));
}

// --- Absolute-accuracy table -----------------------------------------------------

AccuracySection::AccuracySection(DriveLink &link, UserPrompt &user)
    : TransferSection(BackupIndex::Accuracy, QStringLiteral("aac"), false, 0, user, link)
{
    connect(&m_transfer, &AccuracyTableTransfer::lampToggled, this, &BackupSection::lampToggled);
    connect(&m_transfer, &AccuracyTableTransfer::finished, this,
            [this](AccuracyTableTransfer::Outcome outcome, const QString &message) {
                if (outcome != AccuracyTableTransfer::Outcome::Succeeded || m_restoring) {
                    end(outcomeOf(outcome), message);
                    return;
                }
                const QString name = fileName(m_baseName, 0);
                QString problem;
                if (!AccuracyTableTransfer::saveFile(path(name), m_transfer.entries(), &problem)) {
                    end(Outcome::Failed, path(name) + lineBreak + problem);
                    return;
                }
                addWritten(0, name);
                end(Outcome::Succeeded);
            });
}

void AccuracySection::startBackup()
{
    Q_EMIT itemStarted(fileName(m_baseName, 0));
    m_transfer.upload();
}

void AccuracySection::startRestore()
{
    const QString name = m_entries.first().name;
    Q_EMIT itemStarted(name);
    QByteArrayList entries;
    QString problem;
    if (!AccuracyTableTransfer::loadFile(path(name), &entries, &problem)) {
        end(Outcome::Failed, problem);
        return;
    }
    m_transfer.download(entries);
}

// --- The restore's file checks ----------------------------------------------

QString ParameterSection::checkFile(const QString &path) const
{
    QString message;
    ParameterTransfer::readFile(path, &message);
    return message;
}

QString IoConfigSection::checkFile(const QString &path) const
{
    QString message;
    IoConfigTransfer::readFile(path, &message);
    return message;
}

QString ProgramSection::checkFile(const QString &path) const
{
    QString message;
    ProgramTransfer::readFile(path, &message);
    return message;
}

QString IndexTableSection::checkFile(const QString &path) const
{
    QByteArrayList entries;
    QString message;
    m_transfer.readFile(path, &entries, &message);
    return message;
}

QString CamSection::checkFile(const QString &path) const
{
    CamProfile profile;
    return CamTransfer::loadProfile(path, &profile);
}

QString AccuracySection::checkFile(const QString &path) const
{
    QByteArrayList entries;
    QString message;
    AccuracyTableTransfer::loadFile(path, &entries, &message);
    return message;
}
