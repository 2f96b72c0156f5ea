#include "camfile.h"

#include "app/safefilewriter.h"
#include "link/drivetext.h"
#include "resources/catalogue.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray lineEnd = "\r\n";
constexpr int LabelWidth = 14;
constexpr int CommentWidth = 23;
constexpr int TitleLength = 15;
// Record lines are short; a longer line is no line of a cam profile file.
constexpr qint64 MaxLineBytes = 4096;

QByteArray hexDigits(quint32 value, int digits)
{
    return "0x" + QByteArray::number(value, 16).rightJustified(digits, '0');
}

QByteArray decimal3(int value)
{
    return QByteArray::number(value).rightJustified(3, '0');
}

QByteArray blank3(int value)
{
    return QByteArray::number(value).rightJustified(3, ' ');
}

QByteArray dataLabel(int first, int last)
{
    if (first == last)
        return " [" + blank3(first) + "     ]";
    return " [" + blank3(first) + DriveText::encode(QStringLiteral("\uFF5E")) + blank3(last) + ']';
}

QByteArray sectionTitle(int id)
{
    return DriveText::encode(Catalogue::instance().string(id));
}

} // namespace

std::optional<qint64> CamFile::field(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    bool ok = false;
    if (trimmed.startsWith("0x") || trimmed.startsWith("0X")) {
        const QByteArray digits = trimmed.mid(2);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        const quint32 value = digits.toUInt(&ok, 16);
        return ok ? std::optional<qint64>(value) : std::nullopt;
    }
    if (trimmed.isEmpty() || trimmed.size() > 11)
        return std::nullopt;
    const qint64 value = trimmed.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

QByteArray CamFile::commentLine(const QByteArray &text)
{
    return text.leftJustified(CommentWidth, ' ') + '|' + lineEnd;
}

QByteArray CamFile::recordLine(const QByteArray &label, const QByteArray &record)
{
    return label.leftJustified(LabelWidth, ' ') + '|' + record + lineEnd;
}

QByteArrayList CamFile::header(const QString &path, int number, const QDateTime &date)
{
    const QFileInfo info(path);
    const QByteArray name = DriveText::encode(info.fileName());
    const QByteArray parts =
        number > 0 ? QByteArray::number(number).rightJustified(2, ' ') : QByteArray(" X");
    return {name,
            sectionTitle(141),
            "Date : " + date.toString(QStringLiteral("yyyy-MM-dd HH:mm")).toLatin1(),
            "File name is " + name,
            "Backup Channel No :  X",
            "Backup Parts   No : " + parts};
}

QByteArray CamFile::titleFor(const QString &path)
{
    return DriveText::encode(QFileInfo(path).completeBaseName()).left(TitleLength);
}

QByteArray CamFile::compose(const CamProfile &profile, const QByteArrayList &comments)
{
    QByteArray bytes;
    for (const QByteArray &comment : comments)
        bytes += commentLine(comment);
    bytes += commentLine(sectionTitle(142));
    bytes += recordLine("Title", "TT1:" + profile.title);
    const auto &items = CamProfile::items();
    for (int slot = 0; slot < CamProfile::ItemCount; ++slot) {
        const CamProfile::Item &item = items[slot];
        bytes += recordLine(item.label, "TI1:" + hexDigits(item.index, 4) + ':' +
                                            hexDigits(profile.values[slot], item.digits));
    }
    bytes += commentLine(sectionTitle(143));
    for (int line = 0; line < CamProfile::DataLines; ++line) {
        const int first = CamProfile::firstPointOf(line);
        const int last = CamProfile::lastPointOf(line);
        QByteArray record = "TD1:" + decimal3(first) + ':' + decimal3(last);
        for (int k = first; k <= last; ++k)
            record += ':' + hexDigits(quint32(profile.points[k]), 8);
        bytes += recordLine(dataLabel(first, last), record);
    }
    bytes += "END" + lineEnd;
    return bytes;
}

bool CamFile::write(const QString &path, const CamProfile &profile, const QByteArrayList &comments)
{
    return SafeFileWriter::writeWhole(path, compose(profile, comments));
}

CamFile::ReadResult CamFile::read(const QString &path)
{
    using Fault = ReadResult::Fault;
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = Fault::CannotOpen;
        return result;
    }
    const auto refuse = [&result](int line) {
        result = {};
        result.fault = Fault::NotCamFile;
        result.line = line;
        return result;
    };
    std::array<bool, CamProfile::ItemCount> seen{};
    int itemLines = 0;
    int dataLines = 0;
    int nextPoint = 0;
    int lineNumber = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(MaxLineBytes);
        ++lineNumber;
        if (!line.endsWith('\n') && !file.atEnd())
            return refuse(lineNumber);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line == "END")
            break;
        const qsizetype bar = line.indexOf('|');
        if (bar < 0 || bar + 1 >= line.size())
            continue;
        const QByteArray record = line.mid(bar + 1);
        const QByteArrayList parts = record.split(':');
        const QByteArray key = parts.first();
        const QByteArrayList fields = parts.mid(1);
        if (key == "TT1") {
            result.profile.title = record.mid(4);
        } else if (key == "TI1") {
            if (fields.size() != 2 || ++itemLines > CamProfile::ItemCount)
                return refuse(lineNumber);
            const std::optional<qint64> index = field(fields.at(0));
            const std::optional<qint64> value = field(fields.at(1));
            const int slot = index ? CamProfile::itemSlot(quint32(*index)) : -1;
            if (slot < 0 || seen[slot] || !value)
                return refuse(lineNumber);
            const qint64 highest = CamProfile::items()[slot].digits == 4 ? 0xFFFF : 0xFFFFFFFFLL;
            if (*value < (highest == 0xFFFF ? 0 : -2147483648LL) || *value > highest)
                return refuse(lineNumber);
            seen[slot] = true;
            result.profile.values[slot] = quint32(*value);
        } else if (key == "TD1") {
            if (fields.size() < 3 || ++dataLines > CamProfile::DataLines)
                return refuse(lineNumber);
            const std::optional<qint64> first = field(fields.at(0));
            const std::optional<qint64> last = field(fields.at(1));
            if (!first || !last || *first != nextPoint || *last < *first ||
                *last > CamProfile::LastPoint || fields.size() != *last - *first + 3)
                return refuse(lineNumber);
            for (qint64 k = *first; k <= *last; ++k) {
                const std::optional<qint64> value = field(fields.at(int(k - *first) + 2));
                if (!value || *value < -2147483648LL || *value > 0xFFFFFFFFLL)
                    return refuse(lineNumber);
                result.profile.points[k] = qint32(quint32(*value));
            }
            nextPoint = int(*last) + 1;
        }
    }
    if (itemLines != CamProfile::ItemCount || dataLines != CamProfile::DataLines ||
        nextPoint != CamProfile::PointCount)
        return refuse(0);
    return result;
}
