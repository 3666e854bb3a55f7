#pragma once
#include <string>

// The folder of the running executable without a trailing backslash; empty when the
// module path cannot be had or holds no backslash.
std::string GetExeDirectory();
