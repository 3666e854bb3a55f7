#pragma once
#include <cstdint>

// Win32 attribute bits of an item from its archive's external attributes.
class ZipAttributes {
public:
    // versionMadeBy: the item's whole version-made-by field; its high byte names the host.
    static uint32_t FromExternal(uint32_t versionMadeBy, uint32_t externalAttributes);
};
