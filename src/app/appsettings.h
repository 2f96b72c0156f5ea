#pragma once

#include "profilestore.h"

#include <QString>

// The process-wide settings and drive facts. Only the COM port setter writes
// to the profile at once; everything else the start-up and exit sequences
// read and write (see Application).
class AppSettings
{
public:
    explicit AppSettings(ProfileStore *profile = nullptr);

    static AppSettings &instance();

    ProfileStore *profile() const { return m_profile; }
    void setProfile(ProfileStore *profile) { m_profile = profile; }

    bool siblingVariant() const { return m_siblingVariant; }
    void setSiblingVariant(bool on) { m_siblingVariant = on; }
    bool english() const { return m_english; }
    void setEnglish(bool on) { m_english = on; }
    bool strSetEnglish() const { return m_strSetEnglish; }
    void setStrSetEnglish(bool on) { m_strSetEnglish = on; }
    QString baseDir() const { return m_baseDir; }
    void setBaseDir(const QString &dir) { m_baseDir = dir; }
    QString dataDir() const { return m_dataDir; }
    void setDataDir(const QString &dir) { m_dataDir = dir; }
    quint16 comPort() const { return m_comPort; }
    // Also writes "COMPORT"/"ComPort" to the profile at once.
    void setComPort(quint16 port);
    QString romVersion() const { return m_romVersion; }
    void setRomVersion(const QString &text) { m_romVersion = text; }
    bool englishDisplay() const { return m_englishDisplay; }
    void setEnglishDisplay(bool on) { m_englishDisplay = on; }
    bool homingOption() const { return m_homingOption; }
    void setHomingOption(bool on) { m_homingOption = on; }
    bool linearMotor() const { return m_linearMotor; }
    void setLinearMotor(bool on) { m_linearMotor = on; }

    // Reads "COMPORT"/"ComPort" (default 1, echoed back at once) and
    // "OSCSCOPE"/"StrSetEnglish" (default 0).
    void readStartupEntries();
    // baseDir from the working directory, dataDir from "DATADIR"/"DataDir"
    // or baseDir + "data/"; both end in a separator.
    void initDirectories();
    // Remembers the folder of a file the user chose and writes it at once.
    void rememberChosenFile(const QString &path);
    // The four entries written when the main window closes.
    void writeExitEntries();

private:
    ProfileStore *m_profile = nullptr;
    bool m_siblingVariant = false;
    bool m_english = false;
    bool m_strSetEnglish = false;
    QString m_baseDir;
    QString m_dataDir;
    quint16 m_comPort = 1;
    QString m_romVersion;
    bool m_englishDisplay = false;
    bool m_homingOption = false;
    bool m_linearMotor = false;
};
