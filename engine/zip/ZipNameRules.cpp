#include "engine/zip/ZipNameRules.h"

#include <cstring>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Two dots that form a whole path component at the start of p.
bool StartsWithParent(const char* p)
{
    return p[0] == '.' && p[1] == '.' && (IsSeparator(p[2]) || p[2] == '\0');
}

// Where the name continues after its first parent-folder component that follows a
// separator, or null when there is none. The four spellings are tried in this order, each
// over the whole name. A name ending in a separator and two dots ends in a parent
// component too, so nothing of it is kept.
const char* AfterInnerParent(const char* p)
{
    static const char* const sequences[] = {"\\..\\", "\\../", "/../", "/..\\"};
    for (const char* sequence : sequences) {
        if (const char* found = std::strstr(p, sequence))
            return found + 4;
    }
    size_t length = std::strlen(p);
    if (length >= 3 && IsSeparator(p[length - 3]) && p[length - 2] == '.' && p[length - 1] == '.')
        return p + length;
    return nullptr;
}

} // namespace

const char* ZipNameRules::Remainder(const char* name)
{
    const char* p = name;
    for (;;) {
        if (p[0] != '\0' && p[1] == ':') {
            p += 2;
        } else if (IsSeparator(p[0])) {
            ++p;
        } else if (const char* after = AfterInnerParent(p)) {
            p = after;
        } else if (StartsWithParent(p)) {
            // A leading "..\" or "../" is cut like any other parent component, so that no
            // name climbs out of the folder it is joined to.
            p += p[2] == '\0' ? 2 : 3;
        } else {
            return p;
        }
    }
}

void ZipNameRules::Apply(char* name)
{
    const char* rest = Remainder(name);
    if (rest != name)
        std::memmove(name, rest, std::strlen(rest) + 1);
}
