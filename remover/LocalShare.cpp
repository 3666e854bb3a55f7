#include "remover/LocalShare.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "framework/WideText.h"

namespace {

// Splits text at every separator; an empty text gives one empty part.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts(1);
    for (wchar_t c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// One part of an IPv4 address as the resolver reads it: "0x" hexadecimal, a leading zero
// octal, decimal otherwise; false for anything else or past 32 bits.
bool ParseIpv4Part(const std::wstring& part, unsigned long long& value)
{
    unsigned base = 10;
    size_t at = 0;
    if (part.size() > 1 && part[0] == L'0' && (part[1] == L'x' || part[1] == L'X')) {
        base = 16;
        at = 2;
    } else if (part.size() > 1 && part[0] == L'0') {
        base = 8;
        at = 1;
    }
    if (at >= part.size() && base != 8)
        return false;
    value = 0;
    for (; at < part.size(); ++at) {
        wchar_t c = part[at];
        unsigned digit = iswdigit(c) ? unsigned(c - L'0') : iswxdigit(c) ? unsigned(towlower(c) - L'a' + 10) : 99;
        if (digit >= base)
            return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull)
            return false;
    }
    return true;
}

// The groups of an IPv6 address in colon form, eight of them; false when it is none.
bool ParseIpv6(const std::wstring& text, std::vector<unsigned>& groups)
{
    size_t gap = text.find(L"::");
    std::vector<std::wstring> head = Split(text.substr(0, gap), L':'), tail;
    if (gap != std::wstring::npos) {
        if (text.find(L"::", gap + 1) != std::wstring::npos)
            return false;
        tail = Split(text.substr(gap + 2), L':');
        if (head.size() == 1 && head[0].empty())
            head.clear();
        if (tail.size() == 1 && tail[0].empty())
            tail.clear();
    }
    size_t missing = 8 - std::min<size_t>(8, head.size() + tail.size());
    if ((gap == std::wstring::npos) != (missing == 0) || head.size() + tail.size() > 8)
        return false;
    groups.clear();
    for (const std::vector<std::wstring>* side : {&head, &tail}) {
        for (const std::wstring& group : *side) {
            if (group.empty() || group.size() > 4 || group.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
                return false;
            groups.push_back(unsigned(std::wcstoul(group.c_str(), nullptr, 16)));
        }
        if (side == &head)
            groups.insert(groups.end(), missing, 0);
    }
    return true;
}

} // namespace

std::wstring LocalShare::LocalPath(const std::wstring& canonical)
{
    if (canonical.size() < 3 || canonical[0] != L'\\' || canonical[1] != L'\\')
        return std::wstring();
    size_t hostEnd = canonical.find(L'\\', 2);
    if (hostEnd == std::wstring::npos || !IsThisComputer(canonical.substr(2, hostEnd - 2)))
        return std::wstring();
    size_t shareEnd = std::min(canonical.find(L'\\', hostEnd + 1), canonical.size());
    std::wstring share = canonical.substr(hostEnd + 1, shareEnd - hostEnd - 1);
    // Without a rest the share's root is the drive's root: "C:" alone would be the drive's
    // current directory.
    std::wstring rest = shareEnd < canonical.size() ? canonical.substr(shareEnd) : L"\\";
    if (share.size() == 2 && iswalpha(share[0]) && share[1] == L'$')
        return std::wstring(1, share[0]) + L":" + rest;
    wchar_t windows[MAX_PATH];
    UINT n = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (WideText::SameIgnoringCase(share, L"ADMIN$") && n > 0 && n < MAX_PATH)
        return std::wstring(windows, n) + (rest == L"\\" ? L"" : rest);
    return std::wstring();
}

bool LocalShare::IsThisComputer(std::wstring host)
{
    if (!host.empty() && host.back() == L'.')
        host.pop_back();
    if (host.empty())
        return false;
    if (WideText::SameIgnoringCase(host, L"localhost") || IsLoopbackIpv4(host) || IsLoopbackIpv6Literal(host))
        return true;
    for (COMPUTER_NAME_FORMAT format : {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified,
                                        ComputerNamePhysicalNetBIOS, ComputerNamePhysicalDnsHostname,
                                        ComputerNamePhysicalDnsFullyQualified}) {
        wchar_t name[256];
        DWORD size = 256;
        if (::GetComputerNameExW(format, name, &size) && size > 0 && WideText::SameIgnoringCase(host, name))
            return true;
    }
    return false;
}

// "127.0.0.1", and the shorter and other-based forms the resolver accepts for the same
// network: "127.1", "0x7f.1", "2130706433".
bool LocalShare::IsLoopbackIpv4(const std::wstring& host)
{
    std::vector<std::wstring> parts = Split(host, L'.');
    if (parts.size() > 4)
        return false;
    unsigned long long address = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        unsigned long long value = 0;
        if (!ParseIpv4Part(parts[i], value))
            return false;
        bool last = i + 1 == parts.size();
        unsigned bits = last ? 8 * unsigned(4 - i) : 8;
        if (value >> bits)
            return false;
        address = last ? (address << bits) | value : (address << 8) | value;
    }
    return (address >> 24) == 127;
}

// An IPv6 address as a name: "0--1.ipv6-literal.net" is "::1", its colons written as
// dashes and a scope's "%" as "s". Both the loopback address and the IPv4 loopback
// mapped into IPv6 count.
bool LocalShare::IsLoopbackIpv6Literal(const std::wstring& host)
{
    static const std::wstring kSuffix = L".ipv6-literal.net";
    if (host.size() <= kSuffix.size() ||
        !WideText::SameIgnoringCase(host.substr(host.size() - kSuffix.size()), kSuffix))
        return false;
    std::wstring text = host.substr(0, host.size() - kSuffix.size());
    size_t scope = text.find_first_of(L"sS");
    if (scope != std::wstring::npos)
        text.resize(scope);
    for (wchar_t& c : text) {
        if (c == L'-')
            c = L':';
    }
    std::vector<unsigned> g;
    if (!ParseIpv6(text, g))
        return false;
    bool zeroHead = g[0] == 0 && g[1] == 0 && g[2] == 0 && g[3] == 0 && g[4] == 0;
    return zeroHead && ((g[5] == 0 && g[6] == 0 && g[7] == 1) || (g[5] == 0xFFFF && (g[6] >> 8) == 127));
}
