#pragma once
#include <string>

#include "i18n/BuiltinTexts.h"

inline std::string Builtin(int id)
{
    return BuiltinTexts::Get(id);
}
