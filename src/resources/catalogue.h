#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>

// The texts of the user interface, by number: strings 101-276 (and the
// program's own texts from 1000 on, in every set alike), dialog
// captions, control texts, combo-box list items and the graph controls'
// initial properties, from the loaded resource module or the program's own
// built-in (Japanese) set. QtCore only, so that the CLI and the exchanges can
// compose the system's messages; images are looked up by path (bitmapPath)
// and loaded by the windows.
class Catalogue
{
public:
    struct Choice
    {
        QString modulePath; // empty: the built-in set is in use
        bool english = false;
        bool siblingVariant = false;
    };

    static Catalogue &instance();

    // The module names in their order of preference: "Torvane_J_Resource",
    // "Quillet_J_Resource", "Torvane_E_Resource", "Quillet_E_Resource".
    static QStringList preferredModules();
    // The file name of a module on this platform ("libTorvane_E_Resource.so").
    static QString moduleFileName(const QString &module);

    // Tries each preferred module in each folder of dirs (folder by folder
    // for one module before the next module) and installs the first that
    // loads; with none, the built-in set stays in use silently.
    Choice loadPreferred(const QStringList &dirs);
    // Loads one module file and installs it; false leaves the set unchanged.
    // The flags follow the file name: "_E_" sets english, a "Quillet" module
    // sets siblingVariant.
    bool loadModule(const QString &path);
    // Goes back to the built-in set.
    void useBuiltin();
    Choice choice() const;

    bool hasString(int id) const;
    // The text as stored (with its %d/%s), empty when absent.
    QString string(int id) const;
    // The text with its %d and %s filled in order from args ("%%" gives a
    // single "%"); a placeholder without a value is left as it stands.
    QString format(int id, const QVariantList &args) const;

    // The dialog numbers the set holds, ascending.
    QList<int> dialogIds() const;
    QString dialogCaption(int dialogId) const;
    QString controlText(int dialogId, int controlId) const;
    // True for a control the set keeps hidden (the English set hides the
    // drive menu's test-operation button 1461 of dialog 147).
    bool controlHidden(int dialogId, int controlId) const;
    QStringList listItems(int dialogId, int controlId) const;
    QVariantMap graphInit(int dialogId, int controlId) const;

    // A Qt resource path of the bitmap, empty when the set lacks it.
    QString bitmapPath(int id) const;
    // The largest image of icon 128; iconPaths() gives all three, smallest
    // first, for a QIcon.
    QString iconPath() const;
    QStringList iconPaths() const;

private:
    Catalogue();
    ~Catalogue();
    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    struct Set;
    struct Private;
    std::unique_ptr<Private> d;
    const Set *m_set = nullptr;
};
