#pragma once

#include "catalogue.h"

#include <QString>
#include <QStringList>

#include <optional>

// Which resource module a run uses, and where the modules are looked for.
namespace ModuleChoice {

enum class Language { Any, English, Japanese };

// "en" or "ja" (in any case); nothing for any other text.
std::optional<Language> languageNamed(const QString &name);

// The modules to try, best first. Any: the order of start-up (Japanese
// before English, the program's own before the sibling's). English: the two
// English modules, then that order, so that a missing English module still
// leaves a working set. Japanese: the two Japanese modules; without them the
// built-in set, which is Japanese too.
QStringList modules(Language language);

// The folders to look in: the program's own (a build tree), lib/torvane
// beside its bin folder (an installed or unpacked tree, wherever it lies) and
// the folder the build was configured to install into.
QStringList folders(const QString &programDir);

// Installs the first module that loads, module by module and within one
// module folder by folder; with none, the built-in set.
Catalogue::Choice load(Catalogue &catalogue, const QStringList &folders, Language language);

} // namespace ModuleChoice
