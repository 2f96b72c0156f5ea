#include "orvex32variant_p.h"

#include "orvex32error.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <cmath>
#include <limits>

namespace Orvex32::detail {

namespace {

[[noreturn]] void typeMismatch(const QVariant &value)
{
    throw Orvex32Error(
        Orvex32Error::DispTypeMismatch,
        QStringLiteral("Type mismatch (%1).")
            .arg(QString::fromLatin1(value.metaType().name() ? value.metaType().name() : "empty")));
}

[[noreturn]] void overflow()
{
    throw Orvex32Error(Orvex32Error::DispOverflow, QStringLiteral("Overflow."));
}

bool isIntegral(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloating(const QVariant &v)
{
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

bool isText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray;
}

// Numeric text: decimal, "0x…" or "&H…" (with an optional trailing "&").
bool parseNumber(QString text, double *out)
{
    text = text.trimmed();
    bool ok = false;
    if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        text = text.mid(2);
        if (text.endsWith(QLatin1Char('&')))
            text.chop(1);
        const qulonglong v = text.toULongLong(&ok, 16);
        // &H literals are 32-bit: &HFFFFFFFF is -1.
        if (ok && v <= 0xFFFFFFFFull)
            *out = double(qint32(quint32(v)));
        return ok && v <= 0xFFFFFFFFull;
    }
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const qulonglong v = text.mid(2).toULongLong(&ok, 16);
        if (ok)
            *out = double(v);
        return ok;
    }
    const double d = text.toDouble(&ok);
    if (ok)
        *out = d;
    return ok;
}

double toReal(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1.0 : 0.0;
    if (isIntegral(value) || isFloating(value))
        return value.toDouble();
    if (isText(value)) {
        double d = 0;
        if (parseNumber(value.toString(), &d))
            return d;
    }
    typeMismatch(value);
}

bool toBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isText(value)) {
        const QString t = value.toString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toReal(value) != 0.0;
}

QString toText(const QVariant &value)
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (isIntegral(value))
        return value.toString();
    if (isFloating(value))
        return QString::number(value.toDouble(), 'g', 15);
    typeMismatch(value);
}

OleColor toColor(const QVariant &value)
{
    if (value.typeId() == QMetaType::QColor)
        return fromQColor(value.value<QColor>());
    if (isText(value)) {
        const QString t = value.toString().trimmed();
        if (t.startsWith(QLatin1Char('#'))) {
            const QColor c = QColor::fromString(t);
            if (!c.isValid())
                typeMismatch(value);
            return fromQColor(c);
        }
    }
    // Numbers: an unsigned 32-bit colour, or the same bits as a negative
    // 32-bit integer (0x8000000F arrives as -2147483633 from some hosts).
    const qint64 v =
        toInteger(value, std::numeric_limits<qint32>::min(), std::numeric_limits<quint32>::max());
    return OleColor(quint32(v));
}

QFont fontFromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() >= 10) {
        QFont f;
        if (f.fromString(text))
            return f;
    }
    QFont f(parts.value(0).trimmed());
    bool ok = false;
    const double size = parts.value(1).trimmed().toDouble(&ok);
    f.setPointSizeF(ok && size > 0 ? size : 9);
    const QString weight = parts.value(2).trimmed();
    if (weight.compare(QLatin1String("bold"), Qt::CaseInsensitive) == 0)
        f.setWeight(QFont::Bold);
    else if (const int w = weight.toInt(&ok); ok && w > 0 && w <= 1000)
        f.setWeight(QFont::Weight(w));
    else
        f.setWeight(QFont::Normal);
    const auto flag = [&](int i) {
        const QString s = parts.value(i).trimmed();
        return s == QLatin1String("1") ||
               s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    };
    f.setItalic(flag(3));
    f.setUnderline(flag(4));
    f.setStrikeOut(flag(5));
    return f;
}

QFont fontFromMap(const QVariantMap &map)
{
    const auto get = [&map](const char *key) {
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.key().compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return it.value();
        }
        return QVariant();
    };
    QFont f(toText(get("Name")));
    const QVariant size = get("Size");
    f.setPointSizeF(size.isValid() && toReal(size) > 0 ? toReal(size) : 9);
    const QVariant weight = get("Weight");
    const QVariant bold = get("Bold");
    if (weight.isValid()) {
        const qint64 w = toInteger(weight, 1, 1000);
        f.setWeight(QFont::Weight(int(w)));
    } else {
        f.setWeight(bold.isValid() && toBool(bold) ? QFont::Bold : QFont::Normal);
    }
    f.setItalic(get("Italic").isValid() && toBool(get("Italic")));
    f.setUnderline(get("Underline").isValid() && toBool(get("Underline")));
    f.setStrikeOut(get("Strikethrough").isValid() && toBool(get("Strikethrough")));
    return f;
}

QFont toFont(const QVariant &value)
{
    if (value.typeId() == QMetaType::QFont)
        return value.value<QFont>();
    if (isText(value))
        return fontFromText(value.toString());
    if (value.typeId() == QMetaType::QVariantMap)
        return fontFromMap(value.toMap());
    typeMismatch(value);
}

QImage toPicture(const QVariant &value)
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::QImage)
        return value.value<QImage>();
    if (value.typeId() == QMetaType::QPixmap && value.canConvert<QImage>())
        return value.value<QImage>();
    typeMismatch(value);
}

} // namespace

qint64 toInteger(const QVariant &value, qint64 min, qint64 max)
{
    qint64 v = 0;
    if (value.typeId() == QMetaType::Bool) {
        v = value.toBool() ? -1 : 0;
    } else if (isIntegral(value)) {
        if (value.typeId() == QMetaType::ULongLong &&
            value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            overflow();
        v = value.toLongLong();
    } else {
        const double d = toReal(value);
        if (!std::isfinite(d) || d < double(min) - 0.5 || d > double(max) + 0.5)
            overflow();
        // Automation rounds half to even.
        v = qint64(std::nearbyint(d));
    }
    if (v < min || v > max)
        overflow();
    return v;
}

QVariant coerce(const QVariant &value, VarType type)
{
    switch (type) {
    case VarType::Void:
        return {};
    case VarType::Bool:
        return toBool(value);
    case VarType::Short:
        return QVariant::fromValue(short(toInteger(value, -32768, 32767)));
    case VarType::Long:
    case VarType::Enum:
        return int(toInteger(value, std::numeric_limits<qint32>::min(),
                             std::numeric_limits<qint32>::max()));
    case VarType::Double:
        return toReal(value);
    case VarType::String:
        return toText(value);
    case VarType::Color:
        return uint(toColor(value));
    case VarType::Font:
        return toFont(value);
    case VarType::Picture:
        return toPicture(value);
    case VarType::Variant:
        return value;
    }
    return value;
}

} // namespace Orvex32::detail
