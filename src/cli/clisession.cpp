#include "clisession.h"

#include "app/appsettings.h"
#include "app/profilestore.h"
#include "link/portmap.h"
#include "link/serialportio.h"
#include "resources/catalogue.h"

#include <QCoreApplication>

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
} // namespace

CliSession::CliSession(QCommandLineParser &parser)
    : m_parser(parser)
{
    // Messages on stderr are the English module's texts.
    const QString appDir = QCoreApplication::applicationDirPath();
    bool loaded = false;
    for (const QString &dir : {appDir, QStringLiteral(TORVANE_INSTALL_LIBDIR)}) {
        for (const QString &module :
             {QStringLiteral("Torvane_E_Resource"), QStringLiteral("Quillet_E_Resource")}) {
            if (!loaded)
                loaded = Catalogue::instance().loadModule(dir + QLatin1Char('/') +
                                                          Catalogue::moduleFileName(module));
        }
    }
    if (!loaded)
        Catalogue::instance().loadPreferred({appDir, QStringLiteral(TORVANE_INSTALL_LIBDIR)});
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
            const QByteArray line = traceLine(entry).toLocal8Bit() + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
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

QString CliSession::traceLine(const QString &entry)
{
    QStringView body(entry);
    if (body.endsWith(QLatin1String("\r\n")))
        body.chop(2);
    // A sent line carries its own CR before the log's CR LF.
    if (body.endsWith(QLatin1Char('\r')))
        body.chop(1);
    QString line;
    line.reserve(body.size());
    for (const QChar c : body) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            line += QLatin1String("\\\\");
        else if (u < 0x20 || u == 0x7f)
            line += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

QString CliSession::text(int id)
{
    return Catalogue::instance().string(id);
}
