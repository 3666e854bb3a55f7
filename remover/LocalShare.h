#pragma once
#include <string>

// This computer's drives as shares of its own: "\\localhost\C$\dir", "\\127.0.0.1\c$",
// "\\<computer name>\C$" and "\\<host>\ADMIN$" name local folders, which the removal
// guard must judge by their local form. The host is recognised by its text alone, so the
// answer needs no network and holds whether or not the shares are served.
class LocalShare {
public:
    // For a canonical UNC path on this computer's administrative share of a drive or of
    // the Windows folder, the local path it stands for ("C:\dir", "C:" for the share's
    // root); empty for every other path.
    static std::wstring LocalPath(const std::wstring& canonical);

    // True for a server name that is this computer: "localhost", a loopback address
    // (IPv4 in any form the resolver takes, IPv6 in its "ipv6-literal.net" form), or one
    // of the computer's NetBIOS and DNS names; a trailing dot is ignored.
    static bool IsThisComputer(std::wstring host);

private:
    static bool IsLoopbackIpv4(const std::wstring& host);
    static bool IsLoopbackIpv6Literal(const std::wstring& host);
};
