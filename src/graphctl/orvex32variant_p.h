#pragma once

#include "orvex32.h"

#include <QVariant>

// Turning the values hosts pass through the dispatch interface or a property
// bag into the types of the control's members, the way automation coerces
// variants: numbers from numbers and numeric text, colours also from QColor
// and "#RRGGBB", fonts also from text and maps. A value that cannot be taken
// raises Orvex32Error with a type-mismatch or overflow status.
namespace Orvex32::detail {

// Returns the canonical QVariant of the type (see VarType).
QVariant coerce(const QVariant &value, VarType type);

// Integer coercion with a range; Short is -32768 … 32767, Long 32 bits.
qint64 toInteger(const QVariant &value, qint64 min, qint64 max);

} // namespace Orvex32::detail
