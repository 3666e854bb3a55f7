#include "framework/FileApi.h"

#include "framework/WideText.h"

#include <vector>

DWORD FileApi::Attributes(const std::string& path)
{
    return ::GetFileAttributesW(WideText::FromUtf8(path).c_str());
}

bool FileApi::AttributeData(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    return ::GetFileAttributesExW(WideText::FromUtf8(path).c_str(), GetFileExInfoStandard, &data) != FALSE;
}

bool FileApi::SetAttributes(const std::string& path, DWORD attributes)
{
    return ::SetFileAttributesW(WideText::FromUtf8(path).c_str(), attributes) != FALSE;
}

bool FileApi::MakeFolder(const std::string& path, SECURITY_ATTRIBUTES* security)
{
    return ::CreateDirectoryW(WideText::FromUtf8(path).c_str(), security) != FALSE;
}

bool FileApi::RemoveFolder(const std::string& path)
{
    return ::RemoveDirectoryW(WideText::FromUtf8(path).c_str()) != FALSE;
}

bool FileApi::RemoveFile(const std::string& path)
{
    return ::DeleteFileW(WideText::FromUtf8(path).c_str()) != FALSE;
}

bool FileApi::Move(const std::string& from, const std::string& to, DWORD flags)
{
    std::wstring target = WideText::FromUtf8(to);
    return ::MoveFileExW(WideText::FromUtf8(from).c_str(), to.empty() ? nullptr : target.c_str(), flags) != FALSE;
}

bool FileApi::Copy(const std::string& from, const std::string& to, bool failIfExists)
{
    return ::CopyFileW(WideText::FromUtf8(from).c_str(), WideText::FromUtf8(to).c_str(), failIfExists) != FALSE;
}

HANDLE FileApi::Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                     SECURITY_ATTRIBUTES* security)
{
    return ::CreateFileW(WideText::FromUtf8(path).c_str(), access, share, security, disposition, flags, nullptr);
}

std::string FileApi::FullPath(const std::string& path)
{
    std::wstring wide = WideText::FromUtf8(path);
    DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return std::string();
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size())
        return std::string();
    return WideText::ToUtf8(buffer.data(), length);
}

std::string FileApi::ModulePath(HMODULE module)
{
    // The path may exceed MAX_PATH; a cut name is told by a full buffer.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return WideText::ToUtf8(buffer.data(), length);
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string FileApi::TempFolder()
{
    wchar_t buffer[MAX_PATH + 2] = {};
    DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    return length == 0 || length > MAX_PATH + 1 ? std::string() : WideText::ToUtf8(buffer, length);
}
