#include "wizard/LinkTarget.h"

#include <shellapi.h>

HINSTANCE LinkTarget::Open() const
{
    if (targetText.empty())
        return nullptr;
    return ::ShellExecuteA(nullptr, "open", targetText.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
