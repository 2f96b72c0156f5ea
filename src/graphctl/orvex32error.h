#pragma once

#include "orvex32global.h"

#include <QByteArray>
#include <QString>

#include <exception>

// The error the control raises to its host: an error number from the
// control's string table (1000 … 1010) with its text and the automation
// status, or, for a call the dispatch interface cannot take at all (unknown
// member, wrong argument count or type), number 0 with the status and an
// English text.
class ORVEX32_EXPORT Orvex32Error : public std::exception
{
public:
    enum Number {
        PropertyValueOutOfRange = 1000,
        OutOfMemory = 1001,
        BadIndex = 1002,
        BadGraphNumber = 1003,
        GraphKindNotSupported = 1004,
        NotAnArray = 1005,
        GraphNumberExceedsCount = 1006,
        DataIndexExceedsCount = 1007,
        CountExceedsDataCount = 1008,
        WrongDataType = 1009,
        HighBelowLow = 1010
    };

    // Automation status codes.
    static constexpr quint32 CtlInvalidPropertyValue = 0x800A017C;
    static constexpr quint32 CtlInvalidPropertyArrayIndex = 0x800A017D;
    static constexpr quint32 CtlOutOfMemory = 0x800A0007;
    static constexpr quint32 DispMemberNotFound = 0x80020003;
    static constexpr quint32 DispTypeMismatch = 0x80020005;
    static constexpr quint32 DispOverflow = 0x8002000A;
    static constexpr quint32 DispBadParamCount = 0x8002000E;

    // An error of the control's string table with its usual status.
    explicit Orvex32Error(Number number);
    Orvex32Error(Number number, quint32 status);
    // A dispatch-level failure (number 0).
    Orvex32Error(quint32 status, const QString &text);

    int number() const { return m_number; }
    quint32 status() const { return m_status; }
    QString text() const { return m_text; }
    // "Orvex32", as automation's error source.
    static QString source();

    // The control's text for an error number; empty for unknown numbers.
    static QString textOf(int number);
    // The status an error number is raised with unless stated otherwise.
    static quint32 defaultStatus(int number);

    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number = 0;
    quint32 m_status = 0;
    QString m_text;
    QByteArray m_what;
};
