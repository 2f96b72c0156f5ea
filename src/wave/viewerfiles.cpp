#include "viewerfiles.h"

#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "logconditions.h"
#include "monitoritemtable.h"
#include "resources/cataloguetext.h"
#include "samplestore.h"

#include <QDir>
#include <QFileInfo>

namespace {

using CatalogueText::text;

const QString paragraph = QStringLiteral("\n\n");

} // namespace

QString ViewerFiles::choose(bool save, int filterName, const QString &pattern,
                            const QString &suffix, const QString &initialName)
{
    UserPrompt::FileRequest request;
    request.save = save;
    request.filter = text(filterName) + QStringLiteral(" (") + pattern + QLatin1Char(')');
    request.defaultSuffix = suffix;
    request.initialName = initialName;
    return m_prompt->chooseFile(request);
}

bool ViewerFiles::write(const QString &path, const QByteArray &bytes)
{
    if (SafeFileWriter::writeWhole(path, bytes))
        return true;
    m_prompt->message(path + QLatin1Char('\n') + text(109));
    return false;
}

bool ViewerFiles::openGraph()
{
    const QString path = choose(false, 249, QStringLiteral("*.gdt"), QStringLiteral("gdt"), {});
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String("gdt"))) {
        m_prompt->message(path + paragraph + text(250));
        return false;
    }
    switch (WaveFile::read(path, LogConditions::active(), SampleStore::instance())) {
    case WaveFile::ReadResult::Read:
        m_currentFile = path;
        m_shownGraph = path;
        return true;
    case WaveFile::ReadResult::CannotOpen:
        m_prompt->message(path + paragraph + text(206));
        return false;
    case WaveFile::ReadResult::FormatError:
        break;
    }
    m_prompt->message(path + paragraph + text(250));
    return false;
}

bool ViewerFiles::openConditions()
{
    const QString path = choose(false, 247, QStringLiteral("*.cnd"), QStringLiteral("cnd"), {});
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String("cnd"))) {
        m_prompt->message(path + paragraph + text(248));
        return false;
    }
    // The shown record is cleared only when the file reads well.
    switch (WaveFile::read(path, LogConditions::active(), SampleStore::instance(), true)) {
    case WaveFile::ReadResult::Read:
        m_shownGraph.clear();
        return true;
    case WaveFile::ReadResult::CannotOpen:
        m_prompt->message(path + paragraph + text(206));
        return false;
    case WaveFile::ReadResult::FormatError:
        break;
    }
    m_prompt->message(path + paragraph + text(248));
    return false;
}

void ViewerFiles::saveGraph()
{
    const QString path = choose(true, 249, QStringLiteral("*.gdt"), QStringLiteral("gdt"),
                                QStringLiteral("GraphData"));
    if (!path.isEmpty())
        write(path, WaveFile::graphBytes(LogConditions::active(), SampleStore::instance()));
}

void ViewerFiles::saveConditions()
{
    const QString path = choose(true, 247, QStringLiteral("*.cnd"), QStringLiteral("cnd"),
                                QStringLiteral("oscscope"));
    if (!path.isEmpty())
        write(path, WaveFile::conditionBytes(LogConditions::active()));
}

void ViewerFiles::exportCsv()
{
    const QString path = choose(true, 1103, QStringLiteral("*.csv"), QStringLiteral("csv"),
                                QStringLiteral("GraphData"));
    if (path.isEmpty())
        return;
    const LogConditions &c = LogConditions::active();
    const MonitorItemTable &table = MonitorItemTable::instance();
    std::array<QByteArray, 4> names;
    for (int i = 0; i < 4; ++i)
        names[i] = table.text(c.sourceIndex[i]);
    const StartArguments a = WaveScale::startArguments(c.timeIndex, c.triggerPosition);
    write(path, WaveFile::csvBytes(SampleStore::instance(), names, a.intervalMs));
}

void ViewerFiles::exportPng(const std::function<QByteArray()> &png)
{
    const QString path = choose(true, 1104, QStringLiteral("*.png"), QStringLiteral("png"),
                                QStringLiteral("GraphData"));
    if (path.isEmpty())
        return;
    const QByteArray bytes = png ? png() : QByteArray();
    if (bytes.isEmpty()) {
        m_prompt->message(path + paragraph + text(205));
        return;
    }
    write(path, bytes);
}

QString ViewerFiles::defaultConditionsPath(const QString &baseDir)
{
    return baseDir + QStringLiteral("data/oscscope.cnd");
}

bool ViewerFiles::readDefaultConditions(const QString &baseDir, UserPrompt &prompt)
{
    const QString path = defaultConditionsPath(baseDir);
    SampleStore scratch; // the default file holds no samples
    switch (WaveFile::read(path, LogConditions::active(), scratch)) {
    case WaveFile::ReadResult::Read:
        return true;
    case WaveFile::ReadResult::CannotOpen:
        prompt.message(path + paragraph + text(206));
        return false;
    case WaveFile::ReadResult::FormatError:
        break;
    }
    prompt.message(path + paragraph + text(204));
    return false;
}

bool ViewerFiles::writeDefaultConditions(const QString &baseDir, UserPrompt &prompt)
{
    const QString path = defaultConditionsPath(baseDir);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (SafeFileWriter::writeWhole(path, WaveFile::conditionBytes(LogConditions::active())))
        return true;
    prompt.message(path + paragraph + text(205));
    return false;
}

QString ViewerFiles::titleWithFile(const QString &title, const QString &caption,
                                   const QString &path)
{
    QString result = title;
    if (result.endsWith(QLatin1String("gdt"))) {
        // The name of the file shown before goes; "[Off line]" stays.
        const QString offline = text(272);
        const qsizetype at = offline.isEmpty() ? -1 : result.indexOf(offline);
        if (at >= 0)
            result.truncate(at + offline.size());
        else if (result.startsWith(caption))
            result.truncate(caption.size());
    }
    const qsizetype slash =
        qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return result + path.mid(slash + 1);
}
