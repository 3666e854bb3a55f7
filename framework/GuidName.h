#pragma once
#include <string>

// Names nobody can guess, for folders made where other processes may create files too.
class GuidName {
public:
    // prefix followed by the 32 hexadecimal digits of a new GUID; empty when the system
    // gives none.
    static std::string Make(const std::string& prefix);
};
