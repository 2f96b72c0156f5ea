#include "indextablekind.h"

const IndexTableKind &IndexTableKind::typeA()
{
    static const IndexTableKind kind{66,
                                     67,
                                     68,
                                     65,
                                     "TC1:",
                                     "R1H",
                                     QStringLiteral("idx"),
                                     QStringLiteral("whi"),
                                     186,
                                     187,
                                     188,
                                     191,
                                     192,
                                     193,
                                     194,
                                     195,
                                     234,
                                     233,
                                     237};
    return kind;
}

const IndexTableKind &IndexTableKind::typeB()
{
    static const IndexTableKind kind{81,
                                     82,
                                     83,
                                     80,
                                     "TB1:",
                                     "R1D",
                                     QStringLiteral("idp"),
                                     QStringLiteral("whb"),
                                     238,
                                     239,
                                     237,
                                     240,
                                     241,
                                     242,
                                     243,
                                     244,
                                     235,
                                     246,
                                     247};
    return kind;
}
