#pragma once
#include <windows.h>

// The security of a folder that only an elevated process may change: a protected DACL
// (nothing inherited from the folder above) that gives Administrators and SYSTEM full
// control and Users read and execute, passed on to everything created inside. A process
// of the same user without elevation carries Administrators for denial only, so it can
// neither add a file (a DLL beside a program) nor replace or delete one.
class AdminOnlySecurity {
public:
    AdminOnlySecurity();
    ~AdminOnlySecurity();
    AdminOnlySecurity(const AdminOnlySecurity&) = delete;
    AdminOnlySecurity& operator=(const AdminOnlySecurity&) = delete;

    // Null when the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return attributes_.lpSecurityDescriptor ? &attributes_ : nullptr; }
    PSECURITY_DESCRIPTOR Descriptor() const { return attributes_.lpSecurityDescriptor; }

    // True when this process acts with Administrators (an elevated administrator, SYSTEM):
    // only such a process can still write into a folder it protects so.
    static bool ProcessIsAdministrator();

private:
    SECURITY_ATTRIBUTES attributes_{};
};
