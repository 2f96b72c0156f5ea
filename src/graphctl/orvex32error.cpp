#include "orvex32error.h"

Orvex32Error::Orvex32Error(Number number)
    : Orvex32Error(number, defaultStatus(number))
{}

Orvex32Error::Orvex32Error(Number number, quint32 status)
    : m_number(number)
    , m_status(status)
    , m_text(textOf(number))
    , m_what(QStringLiteral("Orvex32 error %1: %2").arg(number).arg(m_text).toUtf8())
{}

Orvex32Error::Orvex32Error(quint32 status, const QString &text)
    : m_status(status)
    , m_text(text)
    , m_what(QStringLiteral("Orvex32: %1").arg(text).toUtf8())
{}

QString Orvex32Error::source()
{
    return QStringLiteral("Orvex32");
}

QString Orvex32Error::textOf(int number)
{
    switch (number) {
    case PropertyValueOutOfRange:
        return QStringLiteral("指定されたプロパティ値が範囲を超えています。\n"
                              "プロパティ、メソッドで指定した値を確認してください。");
    case OutOfMemory:
        return QStringLiteral("メモり不足が発生しました。\n"
                              "指定した値が妥当がどうかチェックするか、動作しているアプリケーショ"
                              "ンを終了させて再度実行してください。");
    case BadIndex:
        return QStringLiteral(
            "プロパティで指定されたインデックス値（パラメータ）が間違っています。\n"
            "インデックス値（パラメータ）が範囲を超えていないかなどを確認してくだ"
            "さい。");
    case BadGraphNumber:
        return QStringLiteral("プロパティで指定されたグラフ番号（パラメータ）が間違っています。\n"
                              "グラフ番号（パラメータ）が範囲を超えていないかなどを確認してください"
                              "。");
    case GraphKindNotSupported:
        return QStringLiteral("現在、指定されたグラフはサポートしてません。");
    case NotAnArray:
        return QStringLiteral(
            "データフラグ、データの両方またはいずれかが配列データではありません。\n"
            "必ず、配列データを指定してください。");
    case GraphNumberExceedsCount:
        return QStringLiteral("グラフ番号がグラフ個数を超えています。");
    case DataIndexExceedsCount:
        return QStringLiteral("グラフデータインデックス番号が、データ個数を超えています。");
    case CountExceedsDataCount:
        return QStringLiteral(
            "指定されたデータ個数（グラフデータインデックス、データインデックス考慮)"
            "がデータ個数を超えています。");
    case WrongDataType:
        return QStringLiteral("指定されたデータタイプが違います。\n"
                              "ヘルプを参考にして、型を合わせてください。");
    case HighBelowLow:
        return QStringLiteral("上限値が下限値を下回っているか、下限値が上限値を上回っています。");
    default:
        return {};
    }
}

quint32 Orvex32Error::defaultStatus(int number)
{
    switch (number) {
    case OutOfMemory:
        return CtlOutOfMemory;
    case BadIndex:
    case BadGraphNumber:
        return CtlInvalidPropertyArrayIndex;
    default:
        return CtlInvalidPropertyValue;
    }
}
