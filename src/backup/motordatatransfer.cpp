#include "motordatatransfer.h"

#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "backupindex.h"
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

// The motor-data messages are the drive maker's own, in Japanese whatever
// the display language.
const QString cannotWrite = QStringLiteral("書き込めません！");
const QString cannotRead = QStringLiteral("読み込めません！");
const QString badFormat = QStringLiteral("フォーマットが不正です！");
const QString badReply = QStringLiteral("返信メッセージが不正です。");
const QString registered = QStringLiteral("登録が完了しました。");
const QString timeUp = QStringLiteral("TimeUp!");

const QByteArray allReset = "R1Z :AllReset";
constexpr char stringLetters[4] = {'A', 'B', 'C', 'D'};
// A script is a few kilobytes; anything far larger is no script.
constexpr qint64 MaxScriptBytes = 1 << 16;

using Group = MotorData::Group;

} // namespace

MotorDataTransfer::MotorDataTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

MotorDataTransfer::~MotorDataTransfer() = default;

QString MotorDataTransfer::uploadFilter()
{
    return text(169) + QStringLiteral(" (*.whm)");
}

QString MotorDataTransfer::downloadFilter()
{
    return text(191) + QStringLiteral(" (*.whm)");
}

// --- Common ----------------------------------------------------------------

void MotorDataTransfer::begin()
{
    m_busy = true;
    m_restarting = false;
    m_steps.clear();
    m_data = MotorData();
    Q_EMIT busyChanged(true);
}

void MotorDataTransfer::end(Outcome outcome, const QString &message)
{
    m_busy = false;
    m_restarting = false;
    m_staging.reset();
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void MotorDataTransfer::stop(Outcome outcome, const QString &message)
{
    m_staging.reset();
    if (!message.isEmpty())
        m_prompt->message(message);
    m_pendingOutcome = outcome;
    m_pendingMessage = message;
    m_restarting = true;
    m_steps.clear();
    m_link.send(DriveCommand::restart(), true, DriveLink::DefaultTimeoutMs);
}

void MotorDataTransfer::sendNext()
{
    if (m_steps.isEmpty()) {
        if (m_uploading) {
            commitUpload();
        } else {
            const QString message = registered + paragraph + text(171);
            m_prompt->message(message);
            end(Outcome::Succeeded, message);
        }
        return;
    }
    m_step = m_steps.takeFirst();
    const QString base = QFileInfo(m_indexPath).completeBaseName();
    if (m_step.ask == Ask::String && m_step.index == 2)
        Q_EMIT progress(1, 2, base + QStringLiteral(".dfa"));
    const bool registering = m_step.ask == Ask::Register;
    m_link.send(m_step.command, true,
                registering ? DriveLink::RegisterTimeoutMs : DriveLink::DefaultTimeoutMs);
}

void MotorDataTransfer::onLinkReply(const QByteArray &line)
{
    if (!m_busy)
        return;
    if (m_restarting) {
        end(m_pendingOutcome, m_pendingMessage);
        return;
    }
    Q_EMIT lampToggled();
    if (!takeReply(line)) {
        stop(Outcome::Failed, badReply + lineBreak + DriveText::decode(line));
        return;
    }
    sendNext();
}

void MotorDataTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    if (m_restarting) {
        // The drive restarts and stays silent: the normal end.
        end(m_pendingOutcome, m_pendingMessage);
        return;
    }
    stop(Outcome::Failed, timeUp);
}

bool MotorDataTransfer::takeReply(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    const QByteArray value = colon < 0 ? QByteArray() : line.mid(colon + 1);
    switch (m_step.ask) {
    case Ask::String:
        if (!line.startsWith("RS ") || colon < 0 || value.size() > MotorData::MaxStringLength)
            return false;
        m_data.strings[m_step.index] = value;
        return true;
    case Ask::TableOpen: {
        const std::optional<qint64> count = parseDecimal(value);
        if (!line.startsWith("RD ") || !count || *count < 0 || *count > MotorData::MaxPoints)
            return false;
        m_data.tables[m_step.index] = QList<MotorData::Point>();
        for (int i = 0; i < *count; ++i)
            m_steps.prepend({DriveCommand::characteristicNext(), Ask::TablePoint, m_step.index});
        return true;
    }
    case Ask::TablePoint: {
        if (line == "R") {
            // The drive has no more points than it said: the table ends here.
            while (!m_steps.isEmpty() && m_steps.first().ask == Ask::TablePoint)
                m_steps.removeFirst();
            return true;
        }
        const QByteArrayList fields = value.split(':');
        const std::optional<qint64> first = parseDecimal(fields.value(0));
        const std::optional<qint64> second = parseDecimal(fields.value(1));
        if (!line.startsWith("RDD ") || fields.size() != 2 || !first || !second ||
            *first < -32768 || *first > 32767 || *second < -32768 || *second > 32767)
            return false;
        m_data.tables[m_step.index]->append({qint16(*first), qint16(*second)});
        return true;
    }
    case Ask::Parameter: {
        const std::optional<qint64> number = parseDecimal(value);
        if (!line.startsWith("RD PR") || !number || *number < -2147483647 - 1 ||
            *number > 2147483647)
            return false;
        m_data.values[m_step.index] = qint32(*number);
        const MotorData::Entry &entry = MotorData::entries().at(m_step.index);
        if (m_uploading && entry.group == Group::Com &&
            m_step.index + 1 < MotorData::entryCount() &&
            MotorData::entries().at(m_step.index + 1).group != Group::Com) {
            // The COM entries are read: the motor kind selects the motor's
            // own group, then the adjustment data follow.
            queueParameters(m_data.isLinear() ? Group::Lnr : Group::Rot);
            for (int s = 2; s < 4; ++s)
                m_steps.append({DriveCommand::motorStringRead(stringLetters[s]), Ask::String, s});
            queueParameters(Group::Adj);
        }
        return true;
    }
    case Ask::Done:
        return line == "R00";
    case Ask::Register:
        if (line != allReset)
            return false;
        if (m_step.command == DriveCommand::registerPartB() && !m_steps.isEmpty())
            Q_EMIT progress(1, 2,
                            QFileInfo(m_indexPath).completeBaseName() + QStringLiteral(".dfa"));
        return true;
    }
    return false;
}

void MotorDataTransfer::queueParameters(Group group)
{
    const QList<MotorData::Entry> &table = MotorData::entries();
    for (int i = 0; i < table.size(); ++i) {
        const MotorData::Entry &entry = table.at(i);
        if (entry.group != group)
            continue;
        if (m_uploading)
            m_steps.append({DriveCommand::machineParamRead(entry.number), Ask::Parameter, i});
        else if (m_data.values.at(i))
            m_steps.append({DriveCommand::machineParamWrite(entry.number, *m_data.values.at(i)),
                            Ask::Done, i});
    }
}

// --- Upload ----------------------------------------------------------------

void MotorDataTransfer::upload()
{
    if (m_busy)
        return;
    UserPrompt::FileRequest request;
    request.save = true;
    request.filter = uploadFilter();
    request.defaultSuffix = QStringLiteral("whm");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    const QFileInfo info(path);
    m_indexPath = info.absoluteFilePath();
    const QString base = info.completeBaseName();
    const QDir folder = info.absoluteDir();
    begin();
    m_uploading = true;
    QString existing;
    for (const char *extension : {"dfa", "dfb"}) {
        const QString name = base + QLatin1Char('.') + QLatin1String(extension);
        if (QFileInfo::exists(folder.filePath(name)))
            existing += QLatin1Char(' ') + name + QStringLiteral(" ,\n");
    }
    if (!existing.isEmpty() && !m_prompt->askYesNo(format(174, {existing}))) {
        stop(Outcome::Cancelled, text(133));
        return;
    }
    m_staging = BackupIndex::makeStaging(folder.absolutePath(), base);
    if (!m_staging) {
        stop(Outcome::Failed, m_indexPath + paragraph + cannotWrite);
        return;
    }
    for (int s = 0; s < 2; ++s)
        m_steps.append({DriveCommand::motorStringRead(stringLetters[s]), Ask::String, s});
    for (int t = 0; t < MotorData::TableCount; ++t)
        m_steps.append({DriveCommand::characteristicReadOpen(t), Ask::TableOpen, t});
    queueParameters(Group::Com);
    Q_EMIT progress(0, 2, base + QStringLiteral(".dfb"));
    sendNext();
}

void MotorDataTransfer::commitUpload()
{
    const QFileInfo info(m_indexPath);
    const QString base = info.completeBaseName();
    const QString main = base + QStringLiteral(".dfb");
    const QString adjust = base + QStringLiteral(".dfa");
    const QList<QPair<QString, QByteArray>> files{
        {main, MotorScript::compose(MotorScript::Kind::Main, m_data)},
        {adjust, MotorScript::compose(MotorScript::Kind::Adjust, m_data)},
        {info.fileName(), BackupIndex::compose({{BackupIndex::MotorAdjust, 0, adjust, 0},
                                                {BackupIndex::MotorMain, 0, main, 0}})},
    };
    const QDir staging(m_staging->path());
    QStringList names;
    for (const auto &[name, bytes] : files) {
        if (!SafeFileWriter::writeWhole(staging.filePath(name), bytes)) {
            stop(Outcome::Failed, info.absoluteDir().filePath(name) + paragraph + cannotWrite);
            return;
        }
        names.append(name);
    }
    QString failedPath;
    QString reason;
    if (!BackupIndex::commitStaged(m_staging->path(), info.absolutePath(), names, &failedPath,
                                   &reason)) {
        stop(Outcome::Failed, failedPath + paragraph + cannotWrite);
        return;
    }
    const QString message = text(132);
    m_prompt->message(message);
    end(Outcome::Succeeded, message);
}

// --- Download ----------------------------------------------------------------

void MotorDataTransfer::download()
{
    if (m_busy)
        return;
    UserPrompt::FileRequest request;
    request.filter = downloadFilter();
    request.defaultSuffix = QStringLiteral("whm");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    m_indexPath = path;
    begin();
    m_uploading = false;
    if (!path.endsWith(QLatin1String("whm"))) {
        stop(Outcome::Failed, path + paragraph + cannotRead);
        return;
    }
    if (!readScripts(path))
        return;
    Q_EMIT progress(0, 2, QFileInfo(path).completeBaseName() + QStringLiteral(".dfb"));
    sendNext();
}

bool MotorDataTransfer::readScripts(const QString &indexPath)
{
    const BackupIndex::Result index = BackupIndex::read(indexPath);
    switch (index.fault) {
    case BackupIndex::Fault::None:
        break;
    case BackupIndex::Fault::CannotOpen:
        stop(Outcome::Failed, indexPath + paragraph + cannotRead);
        return false;
    case BackupIndex::Fault::Malformed:
        stop(Outcome::Failed, badFormat + lineBreak + format(1204, {indexPath, index.line}));
        return false;
    case BackupIndex::Fault::UnsafeName:
        stop(Outcome::Failed, indexPath + lineBreak + format(1201, {index.line, index.name}));
        return false;
    }
    // Both scripts are read and checked whole before the drive hears of them.
    const QDir folder = QFileInfo(indexPath).absoluteDir();
    bool any = false;
    for (const MotorScript::Kind kind : {MotorScript::Kind::Main, MotorScript::Kind::Adjust}) {
        const int code =
            kind == MotorScript::Kind::Main ? BackupIndex::MotorMain : BackupIndex::MotorAdjust;
        const auto entry =
            std::find_if(index.entries.cbegin(), index.entries.cend(),
                         [&](const BackupIndex::Entry &e) { return e.code == code; });
        if (entry == index.entries.cend())
            continue;
        const QString path = folder.filePath(entry->name);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > MaxScriptBytes) {
            stop(Outcome::Failed, path + paragraph + cannotRead);
            return false;
        }
        if (const std::optional<MotorScript::Fault> fault =
                MotorScript::parse(kind, file.readAll(), &m_data)) {
            stop(Outcome::Failed, badFormat + lineBreak + format(1204, {path, fault->line}) +
                                      lineBreak + DriveText::decode(fault->text));
            return false;
        }
        queueWrites(kind);
        any = true;
    }
    if (!any) {
        stop(Outcome::Failed, badFormat + lineBreak + indexPath);
        return false;
    }
    return true;
}

void MotorDataTransfer::queueWrites(MotorScript::Kind kind)
{
    const bool main = kind == MotorScript::Kind::Main;
    for (int s = main ? 0 : 2; s < (main ? 2 : 4); ++s) {
        if (m_data.strings.at(s))
            m_steps.append({DriveCommand::motorStringWrite(stringLetters[s], *m_data.strings.at(s)),
                            Ask::Done, s});
    }
    if (main) {
        for (int t = 0; t < MotorData::TableCount; ++t) {
            if (!m_data.tables.at(t))
                continue;
            m_steps.append({DriveCommand::characteristicWriteOpen(t), Ask::Done, t});
            for (const MotorData::Point &point : *m_data.tables.at(t))
                m_steps.append(
                    {DriveCommand::characteristicPoint(point.first, point.second), Ask::Done, t});
            m_steps.append({DriveCommand::characteristicClose(), Ask::Done, t});
        }
        for (const Group group : {Group::Com, Group::Rot, Group::Lnr})
            queueParameters(group);
        m_steps.append({DriveCommand::registerPartB(), Ask::Register, 0});
    } else {
        queueParameters(Group::Adj);
        m_steps.append({DriveCommand::registerPartA(), Ask::Register, 0});
    }
}
