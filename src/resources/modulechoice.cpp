#include "modulechoice.h"

#include <QDir>
#include <QFileInfo>

namespace ModuleChoice {

std::optional<Language> languageNamed(const QString &name)
{
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("en"))
        return Language::English;
    if (key == QLatin1String("ja"))
        return Language::Japanese;
    return std::nullopt;
}

QStringList modules(Language language)
{
    switch (language) {
    case Language::English:
        return {QStringLiteral("Torvane_E_Resource"), QStringLiteral("Quillet_E_Resource"),
                QStringLiteral("Torvane_J_Resource"), QStringLiteral("Quillet_J_Resource")};
    case Language::Japanese:
        return {QStringLiteral("Torvane_J_Resource"), QStringLiteral("Quillet_J_Resource")};
    case Language::Any:
        break;
    }
    return Catalogue::preferredModules();
}

QStringList folders(const QString &programDir)
{
    return {programDir,
            QDir::cleanPath(programDir + QLatin1Char('/') + QStringLiteral(TORVANE_MODULE_RELDIR)),
            QStringLiteral(TORVANE_INSTALL_LIBDIR)};
}

Catalogue::Choice load(Catalogue &catalogue, const QStringList &folders, Language language)
{
    for (const QString &module : modules(language)) {
        for (const QString &folder : folders) {
            if (folder.isEmpty())
                continue;
            const QString path = QDir(folder).filePath(Catalogue::moduleFileName(module));
            if (QFileInfo(path).isFile() && catalogue.loadModule(path))
                return catalogue.choice();
        }
    }
    catalogue.useBuiltin();
    return catalogue.choice();
}

} // namespace ModuleChoice
