#include "framework/ScopedCoInit.h"

ScopedCoInit::ScopedCoInit(DWORD model) : result_(::CoInitializeEx(nullptr, model)) {}

ScopedCoInit::~ScopedCoInit()
{
    if (SUCCEEDED(result_))
        ::CoUninitialize();
}
