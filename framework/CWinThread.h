#pragma once
#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID);

// A worker thread started by AfxBeginThread. With m_bAutoDelete set (the default) the
// object deletes itself when the thread ends, so whoever must wait for the thread
// starts it suspended, duplicates m_hThread and then resumes it.
class CWinThread {
public:
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    CWinThread(AFX_THREADPROC proc, LPVOID param) : proc_(proc), param_(param) {}
    static DWORD WINAPI Entry(LPVOID self);

    AFX_THREADPROC proc_;
    LPVOID param_;
};

// Starts proc(param) on a new thread. Returns null when the thread cannot be created.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0,
                           LPSECURITY_ATTRIBUTES security = nullptr);
