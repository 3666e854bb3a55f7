#include "framework/EventLog.h"

#include <cstdio>

#include "framework/WideText.h"

EventLog& EventLog::Instance()
{
    static EventLog log;
    return log;
}

bool EventLog::Open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    file_.reset();
    if (path.empty())
        return false;
    // Appending only: the handle cannot touch what the file held before.
    ScopedHandle file(::CreateFileW(WideText::FromUtf8(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file || !::GetFileInformationByHandle(file.get(), &information) ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    file_ = std::move(file);
    return true;
}

bool EventLog::IsOpen() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return file_.valid();
}

void EventLog::Close()
{
    std::lock_guard<std::mutex> lock(mutex_);
    file_.reset();
}

void EventLog::Write(const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_)
        return;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    std::string text = stamp;
    // One event, one line: a name holding a line break must not forge another event.
    for (char c : line)
        text += c == '\r' || c == '\n' ? ' ' : c;
    text += "\r\n";
    DWORD written = 0;
    ::WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void EventLog::Failure(const std::string& what, DWORD error)
{
    Write(what + ": error " + std::to_string(error) + ": " + SystemMessage(error));
}

std::string EventLog::SystemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                    nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? WideText::ToUtf8(buffer, length) : std::string();
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}
