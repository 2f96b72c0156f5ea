#pragma once

#include "camlaw.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The universal cam profile file (unv): the file name and "[Universal
// data]" as comments, "First Prio    |US1: 0:0", one "UI1:%2d:%.10f"
// record per time (T0 … T7 with the indices 0 … 7, Tcs 11, Tce 12), an
// empty line and "END". A file is taken only with all ten times, each once
// and a number; lines without text after their first "|" are skipped.
class UniversalCamFile
{
public:
    static constexpr int TcsIndex = 11;
    static constexpr int TceIndex = 12;

    static QByteArray compose(const QString &path, const CamLaw::Times &times);
    // Nothing when the file cannot be read or is not of this form; *opened
    // tells the two apart.
    static std::optional<CamLaw::Times> read(const QString &path, bool *opened = nullptr);

    // Writes the unv file and, beside it, the cdt file of the same base name
    // with the computed profile. Both are prepared before either is renamed
    // into place, so a failure leaves the earlier files as they were. False
    // with *message for times that are no rise or a file that cannot be
    // written; on success *cdtPath names the profile's file.
    static bool save(const QString &path, const CamLaw::Times &times, QString *message,
                     QString *cdtPath = nullptr);
    // The cdt file beside a unv file.
    static QString profilePath(const QString &unvPath);
    // The computed profile with the title the cdt file gives it.
    static CamProfile profileFor(const CamLaw &law, const QString &cdtPath);
};
