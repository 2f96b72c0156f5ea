#include "catalogue.h"

#include "modulechoice.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QMap>
#include <QSet>

#include <map>
#include <vector>

// Every set lives under a resource root of its own: the built-in set under
// ":/torvane-res-builtin", each module under the root its build gave it
// (":/torvane-res-e", ":/torvane-res-j", ...). A root holds catalogue.json,
// bitmaps/<id>.png and icon/128-<size>.png.
namespace {

const QLatin1String RootPrefix("torvane-res-");
const QLatin1String BuiltinRoot(":/torvane-res-builtin");

QStringList resourceRoots()
{
    QStringList roots;
    const QStringList entries =
        QDir(QStringLiteral(":/")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.startsWith(RootPrefix))
            roots.append(entry);
    }
    return roots;
}

QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

bool toId(const QString &key, int *id)
{
    bool ok = false;
    *id = key.toInt(&ok);
    return ok;
}

} // namespace

// The built-in set is compiled into the program (a static library), where
// the linker keeps its data only when something refers to it.
static void initBuiltinResources()
{
    Q_INIT_RESOURCE(torvane_builtin);
}

struct Catalogue::Set
{
    struct Dialog
    {
        QString caption;
        QHash<int, QString> controls;
        QHash<int, QStringList> lists;
        QHash<int, QVariantMap> graphs;
        QSet<int> hidden;
    };

    QString root;
    QHash<int, QString> strings;
    QMap<int, Dialog> dialogs;

    static std::unique_ptr<Set> read(const QString &root);
};

std::unique_ptr<Catalogue::Set> Catalogue::Set::read(const QString &root)
{
    QFile file(root + QLatin1String("/catalogue.json"));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return nullptr;
    const QJsonObject top = document.object();
    const QJsonObject strings = top.value(QLatin1String("strings")).toObject();
    const QJsonObject dialogs = top.value(QLatin1String("dialogs")).toObject();
    if (strings.isEmpty() || dialogs.isEmpty())
        return nullptr;

    auto set = std::make_unique<Set>();
    set->root = root;
    int id = 0;
    for (auto it = strings.begin(); it != strings.end(); ++it) {
        if (toId(it.key(), &id) && it.value().isString())
            set->strings.insert(id, it.value().toString());
    }
    for (auto it = dialogs.begin(); it != dialogs.end(); ++it) {
        if (!toId(it.key(), &id))
            continue;
        const QJsonObject in = it.value().toObject();
        Dialog &dialog = set->dialogs[id];
        dialog.caption = in.value(QLatin1String("caption")).toString();
        const QJsonObject controls = in.value(QLatin1String("controls")).toObject();
        for (auto c = controls.begin(); c != controls.end(); ++c) {
            int control = 0;
            if (toId(c.key(), &control))
                dialog.controls.insert(control, c.value().toString());
        }
        const QJsonObject lists = in.value(QLatin1String("lists")).toObject();
        for (auto l = lists.begin(); l != lists.end(); ++l) {
            int control = 0;
            if (!toId(l.key(), &control))
                continue;
            QStringList items;
            for (const QJsonValue &item : l.value().toArray())
                items.append(item.toString());
            dialog.lists.insert(control, items);
        }
        const QJsonObject graphs = in.value(QLatin1String("graphs")).toObject();
        for (auto g = graphs.begin(); g != graphs.end(); ++g) {
            int control = 0;
            if (toId(g.key(), &control))
                dialog.graphs.insert(control, g.value().toObject().toVariantMap());
        }
        for (const QJsonValue &hidden : in.value(QLatin1String("hidden")).toArray())
            dialog.hidden.insert(hidden.toInt());
    }
    return set;
}

struct Catalogue::Private
{
    Choice choice;
    // Parsed sets by resource root; a set stays valid as long as the
    // process runs, because a loaded module is never unloaded (widgets may
    // still hold pixmaps by its paths).
    std::map<QString, std::unique_ptr<Set>> sets;
    // The resource root each module file registered, by the file's digest:
    // an identical copy registers the same root again, which a second load
    // cannot tell apart from the first.
    QHash<QByteArray, QString> rootsByDigest;
    std::vector<std::unique_ptr<QLibrary>> libraries;

    const Set *set(const QString &root)
    {
        auto it = sets.find(root);
        if (it == sets.end()) {
            std::unique_ptr<Set> parsed = Set::read(root);
            if (!parsed)
                return nullptr;
            it = sets.emplace(root, std::move(parsed)).first;
        }
        return it->second.get();
    }
};

Catalogue::Catalogue()
    : d(std::make_unique<Private>())
{
    initBuiltinResources();
    useBuiltin();
}

Catalogue::~Catalogue() = default;

Catalogue &Catalogue::instance()
{
    static Catalogue catalogue;
    return catalogue;
}

QStringList Catalogue::preferredModules()
{
    return {QStringLiteral("Torvane_J_Resource"), QStringLiteral("Quillet_J_Resource"),
            QStringLiteral("Torvane_E_Resource"), QStringLiteral("Quillet_E_Resource")};
}

QString Catalogue::moduleFileName(const QString &module)
{
    return QLatin1String("lib") + module + QLatin1String(".so");
}

Catalogue::Choice Catalogue::loadPreferred(const QStringList &dirs)
{
    return ModuleChoice::load(*this, dirs, ModuleChoice::Language::Any);
}

bool Catalogue::loadModule(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    const QByteArray digest = fileDigest(info.absoluteFilePath());
    if (digest.isEmpty())
        return false;

    QString root = d->rootsByDigest.value(digest);
    if (root.isEmpty()) {
        const QStringList before = resourceRoots();
        auto library = std::make_unique<QLibrary>(info.absoluteFilePath());
        if (!library->load())
            return false;
        QStringList added;
        for (const QString &entry : resourceRoots()) {
            if (!before.contains(entry))
                added.append(entry);
        }
        if (added.size() != 1) {
            // Not one of our modules (or one that registered nothing new).
            library->unload();
            return false;
        }
        root = QLatin1String(":/") + added.first();
        d->rootsByDigest.insert(digest, root);
        d->libraries.push_back(std::move(library));
    }

    const Set *set = d->set(root);
    if (!set)
        return false;
    m_set = set;
    const QString name = info.fileName();
    d->choice.modulePath = info.absoluteFilePath();
    d->choice.english = name.contains(QLatin1String("_E_"));
    d->choice.siblingVariant = name.contains(QLatin1String("Quillet"));
    return true;
}

void Catalogue::useBuiltin()
{
    m_set = d->set(BuiltinRoot);
    Q_ASSERT(m_set); // compiled in; its absence is a build fault
    d->choice = Choice();
}

Catalogue::Choice Catalogue::choice() const
{
    return d->choice;
}

bool Catalogue::hasString(int id) const
{
    return m_set && m_set->strings.contains(id);
}

QString Catalogue::string(int id) const
{
    return m_set ? m_set->strings.value(id) : QString();
}

QString Catalogue::format(int id, const QVariantList &args) const
{
    const QString text = string(id);
    QString result;
    result.reserve(text.size() + 16);
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('%') || i + 1 >= text.size()) {
            result.append(c);
            continue;
        }
        const QChar kind = text.at(i + 1);
        if (kind == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
            ++i;
        } else if ((kind == QLatin1Char('d') || kind == QLatin1Char('s')) && next < args.size()) {
            const QVariant &value = args.at(next++);
            result.append(kind == QLatin1Char('d') ? QString::number(value.toLongLong())
                                                   : value.toString());
            ++i;
        } else {
            result.append(c);
        }
    }
    return result;
}

QList<int> Catalogue::dialogIds() const
{
    return m_set ? m_set->dialogs.keys() : QList<int>();
}

QString Catalogue::dialogCaption(int dialogId) const
{
    return m_set ? m_set->dialogs.value(dialogId).caption : QString();
}

QString Catalogue::controlText(int dialogId, int controlId) const
{
    if (!m_set)
        return {};
    const auto it = m_set->dialogs.constFind(dialogId);
    return it == m_set->dialogs.cend() ? QString() : it->controls.value(controlId);
}

bool Catalogue::controlHidden(int dialogId, int controlId) const
{
    if (!m_set)
        return false;
    const auto it = m_set->dialogs.constFind(dialogId);
    return it != m_set->dialogs.cend() && it->hidden.contains(controlId);
}

QStringList Catalogue::listItems(int dialogId, int controlId) const
{
    if (!m_set)
        return {};
    const auto it = m_set->dialogs.constFind(dialogId);
    return it == m_set->dialogs.cend() ? QStringList() : it->lists.value(controlId);
}

QVariantMap Catalogue::graphInit(int dialogId, int controlId) const
{
    if (!m_set)
        return {};
    const auto it = m_set->dialogs.constFind(dialogId);
    return it == m_set->dialogs.cend() ? QVariantMap() : it->graphs.value(controlId);
}

QString Catalogue::bitmapPath(int id) const
{
    if (!m_set)
        return {};
    const QString path = QStringLiteral("%1/bitmaps/%2.png").arg(m_set->root).arg(id);
    return QFile::exists(path) ? path : QString();
}

QString Catalogue::iconPath() const
{
    const QStringList paths = iconPaths();
    return paths.isEmpty() ? QString() : paths.last();
}

QStringList Catalogue::iconPaths() const
{
    QStringList paths;
    if (!m_set)
        return paths;
    for (int size : {16, 32, 48}) {
        const QString path = QStringLiteral("%1/icon/128-%2.png").arg(m_set->root).arg(size);
        if (QFile::exists(path))
            paths.append(path);
    }
    return paths;
}
