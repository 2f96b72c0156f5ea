#pragma once

#include "app/appsettings.h"
#include "app/lampimages.h"
#include "link/linkowner.h"
#include "resources/catalogue.h"

#include <QLineEdit>
#include <QTest>

// What the window tests share: an owner at the bottom of the link's stack,
// where the main window sits in the program, and the texts and lamps of one
// language ("E" or "J").
class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

inline bool loadLanguage(const char *language)
{
    const bool ok = Catalogue::instance().loadModule(
        QStringLiteral(TORVANE_BIN_DIR "/") +
        Catalogue::moduleFileName(
            QStringLiteral("Torvane_%1_Resource").arg(QLatin1String(language))));
    LampImages::instance().load();
    AppSettings::instance().setEnglish(QLatin1String(language) == u"E");
    return ok;
}

// Replaces what is in a line edit by typed keys, as the user would.
inline void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}
