#include "engine/ProgressScale.h"

ProgressScale::ProgressScale(uint64_t totalBytes)
{
    while ((totalBytes >> shift) > uint64_t(INT32_MAX))
        ++shift;
}

int32_t ProgressScale::Units(uint64_t bytes) const
{
    uint64_t units = bytes >> shift;
    return units > uint64_t(INT32_MAX) ? INT32_MAX : int32_t(units);
}
