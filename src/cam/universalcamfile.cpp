#include "universalcamfile.h"

#include "app/safefilewriter.h"
#include "camfile.h"
#include "link/drivetext.h"
#include "resources/catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

QByteArray label(int index)
{
    if (index == UniversalCamFile::TcsIndex)
        return "Tcs";
    if (index == UniversalCamFile::TceIndex)
        return "Tce";
    return 'T' + QByteArray::number(index);
}

int slotOf(int index)
{
    if (index >= 0 && index <= 7)
        return index;
    if (index == UniversalCamFile::TcsIndex)
        return CamLaw::Tcs;
    if (index == UniversalCamFile::TceIndex)
        return CamLaw::Tce;
    return -1;
}

constexpr int indices[CamLaw::TimeCount] = {
    0, 1, 2, 3, 4, 5, 6, 7, UniversalCamFile::TcsIndex, UniversalCamFile::TceIndex};

} // namespace

QByteArray UniversalCamFile::compose(const QString &path, const CamLaw::Times &times)
{
    QByteArray bytes = CamFile::commentLine(DriveText::encode(QFileInfo(path).fileName()));
    bytes += CamFile::commentLine(DriveText::encode(Catalogue::instance().string(140)));
    bytes += CamFile::recordLine("First Prio", "US1: 0:0");
    for (int slot = 0; slot < CamLaw::TimeCount; ++slot) {
        const int index = indices[slot];
        bytes += CamFile::recordLine(label(index),
                                     "UI1:" + QByteArray::number(index).rightJustified(2, ' ') +
                                         ':' + QByteArray::number(times[slot], 'f', 10));
    }
    bytes += "\r\nEND\r\n";
    return bytes;
}

std::optional<CamLaw::Times> UniversalCamFile::read(const QString &path, bool *opened)
{
    QFile file(path);
    if (opened)
        *opened = file.open(QIODevice::ReadOnly);
    else
        file.open(QIODevice::ReadOnly);
    if (!file.isOpen())
        return std::nullopt;
    CamLaw::Times times{};
    std::array<bool, CamLaw::TimeCount> seen{};
    bool ended = false;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(4096);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line == "END") {
            ended = true;
            break;
        }
        const qsizetype bar = line.indexOf('|');
        if (bar < 0 || bar + 1 >= line.size())
            continue;
        const QByteArrayList parts = line.mid(bar + 1).split(':');
        if (parts.first() != "UI1")
            continue;
        bool indexOk = false;
        bool valueOk = false;
        const int slot = parts.size() == 3 ? slotOf(parts.at(1).trimmed().toInt(&indexOk)) : -1;
        const double value = parts.size() == 3 ? parts.at(2).trimmed().toDouble(&valueOk) : 0.0;
        if (!indexOk || slot < 0 || seen[slot] || !valueOk || !std::isfinite(value))
            return std::nullopt;
        seen[slot] = true;
        times[slot] = value;
    }
    for (bool s : seen) {
        if (!s)
            return std::nullopt;
    }
    if (!ended)
        return std::nullopt;
    // T0 and T7 are fixed whatever the file says.
    times[CamLaw::T0] = 0.0;
    times[CamLaw::T7] = 1.0;
    return times;
}

QString UniversalCamFile::profilePath(const QString &unvPath)
{
    const QFileInfo info(unvPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".cdt"));
}

CamProfile UniversalCamFile::profileFor(const CamLaw &law, const QString &cdtPath)
{
    CamProfile profile = law.profile();
    profile.title = CamFile::titleFor(cdtPath);
    return profile;
}

bool UniversalCamFile::save(const QString &path, const CamLaw::Times &times, QString *message,
                            QString *cdtPath)
{
    const Catalogue &catalogue = Catalogue::instance();
    const std::optional<CamLaw> law = CamLaw::fromTimes(times);
    if (!law) {
        *message = catalogue.string(1160);
        return false;
    }
    const QString profile = profilePath(path);
    if (cdtPath)
        *cdtPath = profile;
    SafeFileWriter unv(path);
    SafeFileWriter cdt(profile);
    const bool prepared =
        unv.open() && unv.write(compose(path, times)) && cdt.open() &&
        cdt.write(CamFile::compose(profileFor(*law, profile), CamFile::header(profile, 0)));
    if (!prepared || !cdt.commit()) {
        *message = (prepared ? profile : path) + QLatin1Char('\n') + catalogue.string(109);
        return false;
    }
    if (!unv.commit()) {
        *message = path + QLatin1Char('\n') + catalogue.string(109);
        return false;
    }
    *message = catalogue.format(1161, {path, profile});
    return true;
}
