#pragma once

#include "orvex32.h"

#include <QVariant>

// The control's dispatch interface (_DOrvex32 in the type library): every
// property and method by its dispatch id or its name through one entry,
// arguments and results as QVariant.
//
// Property get: args are the index arguments (none for simple properties).
// Property put: args are the index arguments followed by the new value.
// Method: args are the method's arguments.
//
// Every failure is raised as Orvex32Error: the control's own errors
// (number 1000 … 1010) and the automation ones (number 0: unknown member,
// wrong argument count, type mismatch, overflow).
class ORVEX32_EXPORT DOrvex32
{
public:
    // What automation answers for a name it does not know.
    static constexpr int DispIdUnknown = -1;

    virtual ~DOrvex32();

    virtual QVariant invoke(int dispId, Orvex32::InvokeKind kind,
                            const QVariantList &args = {}) = 0;

    QVariant invoke(const QString &name, Orvex32::InvokeKind kind, const QVariantList &args = {});
    // The dispatch id of a member name (case-insensitive), DispIdUnknown if none.
    static int dispIdOfName(const QString &name);

    // Shorthands for the three kinds of call.
    QVariant propertyGet(const QString &name, const QVariantList &index = {})
    {
        return invoke(name, Orvex32::InvokeKind::PropertyGet, index);
    }
    void propertyPut(const QString &name, const QVariant &value)
    {
        invoke(name, Orvex32::InvokeKind::PropertyPut, {value});
    }
    void propertyPut(const QString &name, const QVariantList &index, const QVariant &value)
    {
        invoke(name, Orvex32::InvokeKind::PropertyPut, QVariantList(index) << value);
    }
    QVariant call(const QString &name, const QVariantList &args = {})
    {
        return invoke(name, Orvex32::InvokeKind::Method, args);
    }
};
