#include "framework/AdminOnlySecurity.h"

#include <sddl.h>

namespace {

// Owned by Administrators (O:BA, G:BA), not by the user: an owner may always change the
// DACL, and the same user's processes without elevation would then be owners too.
// D:P protected; OICI inherited by files and folders; FA full access, GRGX read and
// execute; BA Administrators, SY SYSTEM, BU Users.
const wchar_t kFolderSddl[] = L"O:BAG:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;GRGX;;;BU)";

} // namespace

AdminOnlySecurity::AdminOnlySecurity()
{
    attributes_.nLength = sizeof(attributes_);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSddl, SDDL_REVISION_1, &descriptor, nullptr))
        attributes_.lpSecurityDescriptor = descriptor;
}

AdminOnlySecurity::~AdminOnlySecurity()
{
    if (attributes_.lpSecurityDescriptor)
        ::LocalFree(attributes_.lpSecurityDescriptor);
}

// CheckTokenMembership counts a group only when the token may use it: an administrator's
// token without elevation holds Administrators for denial only and is not a member.
bool AdminOnlySecurity::ProcessIsAdministrator()
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(sid);
    BOOL member = FALSE;
    return ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
           ::CheckTokenMembership(nullptr, sid, &member) && member;
}
