#pragma once
#include <string>

// The folder of the running executable (UTF-8) without a trailing backslash; empty when the
// module path cannot be had or holds no backslash.
std::string GetExeDirectory();
