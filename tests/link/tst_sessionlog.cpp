#include "link/sessionlog.h"
#include "link/sessionlogmenu.h"
#include "link/terminalwindow.h"
#include "terminal/terminalbench.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Terminal mode's session written to a file, a time on every line.
class TestSessionLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(loadEnglish()); }

    void printable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << QStringLiteral("R5Z a:b") << QStringLiteral("R5Z a:b");
        QTest::newRow("controls") << QStringLiteral("a\r\n\t") + QChar(0) + QChar(0x7f)
                                  << QStringLiteral("a\\x0d\\x0a\\x09\\x00\\x7f");
        QTest::newRow("backslash") << QStringLiteral("\\x41") << QStringLiteral("\\\\x41");
    }
    void printable()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(SessionLog::printable(text), written);
    }

    void terminalSessionToFile()
    {
        TerminalBench bench;
        TerminalWindow w(bench.link);
        w.show();
        const auto type = [&w](int replies) {
            QTest::keyClicks(w.input(), QStringLiteral("@44"));
            QTest::keyClick(w.input(), Qt::Key_Return);
            QTRY_COMPARE(w.output()->toPlainText().count(QStringLiteral("R5Z ")), replies);
        };
        type(1);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("terminal.log"));
        QVERIFY(w.sessionLog()->start(path));
        type(2);
        // Exit ends the log; what follows stays out of it.
        w.button(1)->click();
        QVERIFY(!w.sessionLog()->isSaving());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5);
        // The lines shown before saving began have no time.
        const QString blank(24, QLatin1Char(' '));
        QCOMPARE(lines.at(0), blank + QStringLiteral("@44"));
        QVERIFY(lines.at(1).startsWith(blank + QStringLiteral("R5Z ")));
        const QRegularExpression stamp(
            QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )"));
        QVERIFY2(stamp.match(lines.at(2)).hasMatch(), qPrintable(lines.at(2)));
        QCOMPARE(lines.at(2).mid(24), QStringLiteral("@44"));
        QVERIFY(lines.at(3).mid(24).startsWith(QStringLiteral("R5Z ")));
        QCOMPARE(lines.at(3).mid(24), lines.at(1).mid(24));
        QVERIFY(lines.at(4).isEmpty());
    }
};

QTEST_MAIN(TestSessionLog)
#include "tst_sessionlog.moc"
