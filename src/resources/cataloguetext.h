#pragma once

#include "catalogue.h"

#include <QString>
#include <QVariantList>

// Short forms for the exchanges and windows that build their messages from
// the loaded text set.
namespace CatalogueText {

inline QString text(int id)
{
    return Catalogue::instance().string(id);
}

inline QString format(int id, const QVariantList &args)
{
    return Catalogue::instance().format(id, args);
}

} // namespace CatalogueText
