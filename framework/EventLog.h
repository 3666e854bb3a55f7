#pragma once
#include <windows.h>

#include <mutex>
#include <string>

#include "framework/ScopedHandle.h"

// The log a run appends to when asked for one: UTF-8 text, one line per event, each
// starting with its local time. Every thread may write; each line goes to the file in
// one write, so lines of threads (and of other processes appending) never mix. Without an
// open file every write is dropped: callers log without asking whether anyone listens.
class EventLog {
public:
    static EventLog& Instance();

    // Opens path for appending, creating it when missing. False when it cannot be
    // opened, or when it is a link or junction: an elevated program must not append
    // where a link planted by a process without rights points.
    bool Open(const std::string& path);
    bool IsOpen() const;
    void Close();

    void Write(const std::string& line);
    // "<what>: error <code>: <the system's message for it>".
    void Failure(const std::string& what, DWORD error);
    // The system's own text for a Win32 error code, on one line; the number alone when the
    // system has none.
    static std::string SystemMessage(DWORD error);

private:
    EventLog() = default;

    mutable std::mutex mutex_;
    ScopedHandle file_;
};
