#include "wizard/NoticeMeter.h"

// Alone in its object file, so that a benchmark executable's own definitions replace it.
NoticeMeter::NoticeMeter(int32_t code) : code(code) {}

NoticeMeter::~NoticeMeter() = default;
