#include "clisession.h"

#include "app/appsettings.h"
#include "app/profilestore.h"
#include "link/portmap.h"
#include "link/serialportio.h"
#include "resources/catalogue.h"
#include "resources/modulechoice.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

namespace {
const QCommandLineOption portOption(QStringList{QStringLiteral("port")},
                                    QStringLiteral("Serial device of the drive (any path, a "
                                                   "pseudo-terminal included)."),
                                    QStringLiteral("PATH"));
const QCommandLineOption stationOption(QStringList{QStringLiteral("station")},
                                       QStringLiteral("Station number 1-9 on a shared line (0: a "
                                                      "single drive)."),
                                       QStringLiteral("N"), QStringLiteral("0"));
const QCommandLineOption traceOption(QStringList{QStringLiteral("trace")},
                                     QStringLiteral("Print the traffic log on stderr."));
const QCommandLineOption traceFileOption(QStringList{QStringLiteral("trace-file")},
                                         QStringLiteral("Append the traffic log to FILE, each "
                                                        "line behind its local time."),
                                         QStringLiteral("FILE"));
const QCommandLineOption jsonOption(QStringList{QStringLiteral("json")},
                                    QStringLiteral("info and programs list: print one JSON "
                                                   "object."));
} // namespace

CliSession::CliSession(QCommandLineParser &parser)
    : m_parser(parser)
{
    // Messages on stderr are the English module's texts.
    ModuleChoice::load(Catalogue::instance(),
                       ModuleChoice::folders(QCoreApplication::applicationDirPath()),
                       ModuleChoice::Language::English);
    const Catalogue::Choice choice = Catalogue::instance().choice();
    AppSettings::instance().setEnglish(choice.english);
    AppSettings::instance().setSiblingVariant(choice.siblingVariant);
    DriveLink::setInstance(&m_link);
}

void CliSession::addOptions(QCommandLineParser &parser)
{
    parser.addOption(portOption);
    parser.addOption(stationOption);
    parser.addOption(traceOption);
    parser.addOption(traceFileOption);
    parser.addOption(jsonOption);
}

bool CliSession::connect()
{
    bool ok = false;
    const int station = m_parser.value(stationOption).toInt(&ok);
    if (!ok || station < 0 || station > 9) {
        printError(QStringLiteral("--station takes a number from 0 to 9."));
        return false;
    }
    QString path = m_parser.value(portOption);
    if (path.isEmpty()) {
        // Without --port, the port the program itself uses.
        ProfileStore profile;
        PortMap map;
        map.load(profile);
        path = map.path(profile.readInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), 1));
    }
    m_link.setUnit(station);
    if (m_parser.isSet(traceOption)) {
        QObject::connect(&m_link, &DriveLink::logged, [](const QString &entry) {
            const QByteArray line = SessionLog::trafficLine(entry).toLocal8Bit() + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        });
    }
    if (m_parser.isSet(traceFileOption)) {
        const QString file = m_parser.value(traceFileOption);
        QString reason;
        if (!m_traceFile.open(file, &reason)) {
            printError(QStringLiteral("Cannot write the trace file %1: %2.").arg(file, reason));
            return false;
        }
        QObject::connect(&m_link, &DriveLink::logged, [this](const QString &entry) {
            m_traceFile.write(SessionLog::entryBody(entry).toString());
        });
    }
    QString error;
    const QMetaObject::Connection capture =
        QObject::connect(&m_link, &DriveLink::portError, [&error](const QString &m) { error = m; });
    m_link.setPort(std::make_unique<SerialPortIo>(path));
    const bool opened = m_link.open();
    QObject::disconnect(capture);
    QObject::connect(&m_link, &DriveLink::portError, [](const QString &m) { printError(m); });
    if (!opened) {
        printError(error.isEmpty() ? QStringLiteral("Cannot open %1.").arg(path) : error);
        return false;
    }
    return true;
}

void CliSession::printError(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void CliSession::printLine(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString CliSession::text(int id)
{
    return Catalogue::instance().string(id);
}

bool CliSession::json() const
{
    return m_parser.isSet(jsonOption);
}

void CliSession::printJson(const QJsonObject &object)
{
    printLine(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
