#pragma once
// The built-in text of each string identifier (TextId.h), in UTF-8, used whenever
// lang.ini has no translation for it.
namespace BuiltinTexts {

// The built-in text of a string identifier; empty for a number that is no identifier.
// The text lives as long as the process. Any thread may ask.
const char* Get(int identifier);

} // namespace BuiltinTexts
