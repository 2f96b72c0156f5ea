#pragma once

#include <QtCore/qglobal.h>

// The graph control lives in its own shared library, libOrvex32.so; hosts link
// it and see the classes marked ORVEX32_EXPORT.
#if defined(ORVEX32_LIBRARY)
#define ORVEX32_EXPORT Q_DECL_EXPORT
#else
#define ORVEX32_EXPORT Q_DECL_IMPORT
#endif
