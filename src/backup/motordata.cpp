#include "motordata.h"

#include "link/drivetext.h"

namespace {

using Group = MotorData::Group;

const QByteArray lineEnd = "\r\n";
const QByteArray bar = " | ";

const char *const mainStringLabel = "主文字列";
const char *const subStringLabel = "副文字列";

QByteArray number(qint64 value, int width)
{
    return QByteArray::number(value).rightJustified(width, ' ');
}

std::optional<qint64> parseNumber(const QByteArray &text, qint64 lowest, qint64 highest)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

QByteArray keywordOf(Group group)
{
    switch (group) {
    case Group::Rot:
        return "PROT";
    case Group::Lnr:
        return "PLNR";
    default:
        return "PCOM";
    }
}

QByteArray parameterLine(const MotorData::Entry &entry, qint32 value)
{
    // "%s | PCOM:%3hd:%3hd:%11ld"
    return MotorScript::paddedLabel(entry.label) + bar + keywordOf(entry.group) + ':' +
           number(entry.slot, 3) + ':' + number(entry.number, 3) + ':' + number(value, 11) +
           lineEnd;
}

} // namespace

const QList<MotorData::Entry> &MotorData::entries()
{
    static const QList<Entry> table{
        {Group::Com, 0, 0, "種別  (0:回転型、1:リニア)"},
        {Group::Com, 1, 1, "フォーマットバージョン"},
        {Group::Com, 2, 10, "速度アナログ制御 (0:ﾃﾞｨｼﾞﾀﾙ,1:ｱﾅﾛｸﾞ)"},
        {Group::Com, 3, 11, "複数ドライバ役割 (0:ｽﾀﾝﾄﾞｱﾛﾝ,2:ﾏｽﾀ,3:ｽﾚｰﾌﾞ)"},
        {Group::Com, 4, 12, "ｿﾌﾄｳｪｱ ZERO      (0:Hard,1:Soft)"},
        {Group::Com, 5, 20, "オーバロードエラー禁止 (1:禁止、0:許可)"},
        {Group::Com, 6, 21, "偏心演算補償禁止(ES1.23より不使用)"},
        {Group::Com, 16, 22, "位置精度補償タイプ"},
        {Group::Com, 7, 30, "インタフェースボードコード"},
        {Group::Com, 8, 50, "エンコーダタイプ"},
        {Group::Com, 9, 51, "エンコーダカウンタ重み            []"},
        {Group::Com, 10, 52, "最大電流                    [1/10 A]"},
        {Group::Com, 17, 53, "ＡＢＳピッチ許容率         [1/100 %]"},
        {Group::Com, 18, 54, "ＡＢＳケーブル長補正率     [1/100 % / 10m]"},
        {Group::Com, 19, 55, "ＡＢＳオフセット温度変化率 [1/100 % /100dg]"},
        {Group::Com, 11, 60, "熱モデル 時定数               [msec]"},
        {Group::Com, 12, 61, "検出時 電流二乗デューティ  [1/100 %]"},
        {Group::Com, 13, 62, "解除時 電流二乗デューティ  [1/100 %]"},
        {Group::Com, 14, 63, "オーバロード時 電流制限率  [1/100 %]"},
        {Group::Com, 15, 70, "Vfb レンジ                   [digit]"},
        {Group::Rot, 0, 100, "モータ歯数                   [1/rev]"},
        {Group::Rot, 1, 101, "SIG0 スリット数              [1/rev]"},
        {Group::Rot, 2, 102, "SIG1                         [1/rev]"},
        {Group::Rot, 3, 103, "ZERO                         [1/rev]"},
        {Group::Rot, 4, 104, "SIG0 半径                      [μm]"},
        {Group::Rot, 5, 105, "SIG1                           [μm]"},
        {Group::Rot, 6, 106, "ZERO                           [μm]"},
        {Group::Rot, 7, 107, "モータ最大速度          [1/1000 rps]"},
        {Group::Rot, 8, 108, "偏心補償最大速度        [1/1000 rps]"},
        {Group::Rot, 9, 109, "偏心許容値                     [μm]"},
        {Group::Rot, 10, 110, "速度検出感度(Analog)        [mV/rps]"},
        {Group::Rot, 11, 111, "定格トルク                 [1/10 Nm]"},
        {Group::Rot, 12, 112, "自己イナーシャ       [1/10000 Kgm^2]"},
        {Group::Rot, 13, 113, "モータ定格速度          [1/1000 rps]"},
        {Group::Lnr, 0, 200, "歯数相当長                   [μm/1]"},
        {Group::Lnr, 1, 201, "SIG0 ピッチ長                [μm/1]"},
        {Group::Lnr, 2, 202, "SIG1                         [μm/1]"},
        {Group::Lnr, 3, 203, "ZERO                         [μm/1]"},
        {Group::Lnr, 4, 204, "モータ最大速度          [1/1000 mps]"},
        {Group::Lnr, 5, 205, "速度検出感度(Analog)        [mV/mps]"},
        {Group::Lnr, 6, 206, "定格推力                   [1/10 Nm]"},
        {Group::Lnr, 7, 207, "自己質量                 [1/1000 Kg]"},
        {Group::Lnr, 8, 208, "モータ定格速度          [1/1000 mps]"},
        {Group::Adj, 0, 400, "転流オフセット ψoff      [1/100 deg]"},
        {Group::Adj, 0, 401, "速度検出補助信号 A/D ﾃﾞｰﾀｽﾊﾟﾝ [digit]"},
        {Group::Adj, 0, 402, "ノッチフィルタ周波数１           [Hz]"},
        {Group::Adj, 0, 403, "ノッチフィルタ周波数２           [Hz]"},
    };
    return table;
}

bool MotorData::isLinear() const
{
    const std::optional<qint32> &kind = values.at(indexOf(Group::Com, 0));
    return kind && *kind == 1;
}

int MotorData::indexOf(Group group, int number) const
{
    const QList<Entry> &table = entries();
    for (int i = 0; i < table.size(); ++i) {
        if (table.at(i).group == group && table.at(i).number == number)
            return i;
    }
    return -1;
}

QByteArray MotorScript::paddedLabel(const char *utf8)
{
    return DriveText::encode(QString::fromUtf8(utf8)).leftJustified(MotorData::LabelWidth, ' ');
}

const char *MotorScript::tableLabel(int table)
{
    static const char *const labels[MotorData::TableCount] = {
        "電流トルク特性／電流推力特性",
        "回転数電流制限特性／速度電流制限特性",
        "回転数 転流位相進め時間特性 定義",
    };
    return labels[table];
}

QByteArray MotorScript::compose(Kind kind, const MotorData &data)
{
    const bool main = kind == Kind::Main;
    const int first = main ? 0 : 2;
    QByteArray bytes;
    bytes += paddedLabel(mainStringLabel) + bar + (main ? "PSAW:" : "PSCW:") +
             data.strings.at(first).value_or(QByteArray()) + lineEnd;
    bytes += paddedLabel(subStringLabel) + bar + (main ? "PSBW:" : "PSDW:") +
             data.strings.at(first + 1).value_or(QByteArray()) + lineEnd;
    bytes += lineEnd;
    const QByteArray blank(MotorData::LabelWidth, ' ');
    if (main) {
        for (int t = 0; t < MotorData::TableCount; ++t) {
            bytes += paddedLabel(tableLabel(t)) + bar + "FWOPN:" + QByteArray::number(t) + lineEnd;
            for (const MotorData::Point &point :
                 data.tables.at(t).value_or(QList<MotorData::Point>()))
                bytes += blank + bar + "FDW:" + number(point.first, 6) + ':' +
                         number(point.second, 6) + lineEnd;
            bytes += blank + bar + "FCLS" + lineEnd;
            bytes += lineEnd;
        }
    }
    const Group second = data.isLinear() ? Group::Lnr : Group::Rot;
    const QList<MotorData::Entry> &table = MotorData::entries();
    for (const Group group : {main ? Group::Com : Group::Adj, second}) {
        if (!main && group == second)
            break;
        for (int i = 0; i < table.size(); ++i) {
            if (table.at(i).group == group)
                bytes += parameterLine(table.at(i), data.values.at(i).value_or(0));
        }
    }
    return bytes;
}

std::optional<MotorScript::Fault> MotorScript::parse(Kind kind, const QByteArray &bytes,
                                                     MotorData *data)
{
    const bool main = kind == Kind::Main;
    const QByteArrayList lines = bytes.split('\n');
    int openTable = -1;
    QList<MotorData::Point> points;
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        while (line.endsWith('\r'))
            line.chop(1);
        const Fault fault{i + 1, line};
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype barAt = line.indexOf('|');
        if (barAt < 0)
            return fault;
        QByteArray command = line.mid(barAt + 1);
        while (command.startsWith(' '))
            command.remove(0, 1);
        const qsizetype colon = command.indexOf(':');
        const QByteArray keyword = (colon < 0 ? command : command.left(colon)).trimmed();
        const QByteArray rest = colon < 0 ? QByteArray() : command.mid(colon + 1);
        const QByteArrayList fields = rest.split(':');

        const QByteArray stringKeys = main ? "PSAW PSBW" : "PSCW PSDW";
        if (keyword.size() == 4 && keyword.startsWith("PS") && stringKeys.contains(keyword)) {
            if (colon < 0 || rest.size() > MotorData::MaxStringLength || openTable >= 0)
                return fault;
            const int which = (main ? 0 : 2) + (keyword.at(2) == (main ? 'A' : 'C') ? 0 : 1);
            data->strings[which] = rest;
        } else if (main && keyword == "FWOPN") {
            const std::optional<qint64> table = parseNumber(rest, 0, MotorData::TableCount - 1);
            if (!table || openTable >= 0)
                return fault;
            openTable = int(*table);
            points.clear();
        } else if (main && keyword == "FDW") {
            const std::optional<qint64> first = parseNumber(fields.value(0), -32768, 32767);
            const std::optional<qint64> second = parseNumber(fields.value(1), -32768, 32767);
            if (openTable < 0 || fields.size() != 2 || !first || !second ||
                points.size() >= MotorData::MaxPoints)
                return fault;
            points.append({qint16(*first), qint16(*second)});
        } else if (main && keyword == "FCLS") {
            if (openTable < 0 || colon >= 0)
                return fault;
            data->tables[openTable] = points;
            openTable = -1;
        } else if (keyword == "PCOM" || (main && (keyword == "PROT" || keyword == "PLNR"))) {
            const Group group = !main               ? Group::Adj
                                : keyword == "PROT" ? Group::Rot
                                : keyword == "PLNR" ? Group::Lnr
                                                    : Group::Com;
            const std::optional<qint64> slot = parseNumber(fields.value(0), -32768, 32767);
            const std::optional<qint64> number = parseNumber(fields.value(1), -32768, 32767);
            const std::optional<qint64> value =
                parseNumber(fields.value(2), -2147483647 - 1, 2147483647);
            if (fields.size() != 3 || !slot || !number || !value || openTable >= 0)
                return fault;
            const int index = data->indexOf(group, int(*number));
            if (index < 0 || MotorData::entries().at(index).slot != *slot)
                return fault;
            // The motor kind selects the group of the motor's own entries.
            if (group == Group::Com && *number == 0 && *value != 0 && *value != 1)
                return fault;
            data->values[index] = qint32(*value);
        } else {
            return fault;
        }
    }
    if (openTable >= 0)
        return Fault{int(lines.size()), QByteArray()};
    return std::nullopt;
}
