#include "wizard/NoticeMeter.h"

NoticeMeter::NoticeMeter(int32_t code) : code(code) {}

NoticeMeter::~NoticeMeter() = default;
