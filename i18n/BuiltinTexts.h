#pragma once
// The built-in text of each string identifier (TextId.h): code page 936 bytes, used
// whenever lang.ini has no translation for it.
namespace BuiltinTexts {

// The built-in text of a string identifier; empty for a number that is no identifier.
const char* Get(int identifier);

} // namespace BuiltinTexts
