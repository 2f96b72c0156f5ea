#include "camprofile.h"

const std::array<CamProfile::Item, CamProfile::ItemCount> &CamProfile::items()
{
    static const std::array<Item, ItemCount> table{{
        {0x1, "Ready", 4},
        {0x2, "Type", 4},
        {0x3, "Size", 4},
        {0x4, "Tag", 8},
        {0xB, "Pos_atStart", 8},
        {0xC, "Pos_atEnd", 8},
        {0xD, "Vel_atStart", 8},
        {0xE, "Vel_atEnd", 8},
        {0xF, "VelMax", 8},
        {0x10, "VelMin", 8},
        {0x11, "AccMax", 8},
        {0x12, "AccMin", 8},
    }};
    return table;
}

int CamProfile::itemSlot(quint32 index)
{
    const auto &table = items();
    for (int slot = 0; slot < ItemCount; ++slot) {
        if (table[slot].index == index)
            return slot;
    }
    return -1;
}
