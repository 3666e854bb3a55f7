#include "wizard/LinkTarget.h"

#include <shellapi.h>

#include <cstring>

#include "engine/InstallEngine.h"
#include "engine/ItemPath.h"
#include "framework/WideText.h"
#include "remover/FolderPath.h"
#include "wizard/WizardEngine.h"

namespace {

bool StartsWithIgnoringCase(const std::string& text, const char* prefix)
{
    return ::_strnicmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

// Browsers are started with the address as one quoted argument: a quote or a space would
// end it there and hand the rest to the browser as options of its own.
bool IsAddressText(const std::string& text)
{
    for (unsigned char c : text)
        if (c <= ' ' || c >= 0x7F || std::strchr("\"<>\\^`{|}", c))
            return false;
    return true;
}

bool IsWebAddress(const std::string& text)
{
    size_t start = StartsWithIgnoringCase(text, "http://") ? 7 : StartsWithIgnoringCase(text, "https://") ? 8 : 0;
    if (start == 0)
        return false;
    std::string authority = text.substr(start, text.find_first_of("/?#", start) - start);
    size_t user = authority.rfind('@');
    std::string host = user == std::string::npos ? authority : authority.substr(user + 1);
    return !host.empty() && host[0] != ':';
}

bool IsMailAddress(const std::string& text)
{
    return StartsWithIgnoringCase(text, "mailto:") && text.size() > 7;
}

// In UTF-8 a letter or a colon is always that character, never a byte of another one.
bool IsDriveAbsolute(const std::string& text)
{
    char drive = static_cast<char>(text.empty() ? 0 : text[0] | 0x20);
    return text.size() > 3 && drive >= 'a' && drive <= 'z' && text[1] == ':' && (text[2] == '\\' || text[2] == '/') &&
           text.find(':', 2) == std::string::npos;
}

// Followed through its links, a path inside the product could lead anywhere (a junction
// below the install directory to the system folder).
bool IsProductFile(const std::string& text, const std::string& productFolder)
{
    if (productFolder.empty() || !IsDriveAbsolute(text) || !FolderPath::IsInside(text, productFolder))
        return false;
    std::string finalPath = FolderPath::Final(text), finalFolder = FolderPath::Final(productFolder);
    return !finalPath.empty() && !finalFolder.empty() && FolderPath::IsInside(finalPath, finalFolder);
}

} // namespace

std::string LinkTarget::Openable(const std::string& text, const std::string& productFolder)
{
    if (IsAddressText(text) && (IsWebAddress(text) || IsMailAddress(text)))
        return text;
    return IsProductFile(text, productFolder) ? ItemPath::Full(text) : std::string();
}

// A refused target is answered as one the shell cannot open: the link beeps and stays as
// it was. No message: only the publisher can mend the target, and the user could do
// nothing with one but dismiss it. The install directory lang.ini proposes counts only
// where the setup would install at all: a system folder or a drive holds no product.
HINSTANCE LinkTarget::Open() const
{
    InstallEngine* engine = WizardEngine();
    std::string productFolder;
    if (engine && !engine->InstallDirectoryRefused())
        productFolder = engine->GetInstallDirectory();
    std::string openable = Openable(targetText, productFolder);
    if (openable.empty())
        return nullptr;
    return ::ShellExecuteW(nullptr, L"open", WideText::FromUtf8(openable).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
