#pragma once
// A hidden message-only window that plays the wizard frame: it records every progress
// notice it receives (a copy, taken during the call) and may react to one.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/ProgressNotice.h"

struct RecordedNotice {
    int32_t code = 0;
    std::string name;
    int32_t chunkBytes = 0;
    int32_t size = 0;
};

class NoticeRecorder {
public:
    NoticeRecorder();
    ~NoticeRecorder();
    NoticeRecorder(const NoticeRecorder&) = delete;
    NoticeRecorder& operator=(const NoticeRecorder&) = delete;

    HWND Window() const { return window; }
    const std::vector<RecordedNotice>& Notices() const { return notices; }
    std::vector<int32_t> Codes() const;
    size_t Count(int32_t code) const;
    // Codes with every run of NoticeChunk collapsed into one, for readable sequences.
    std::string Outline() const;

    // Called on the window's thread after each notice was recorded.
    std::function<void(const RecordedNotice&)> onNotice;
    // Chunk names are not kept when false (large payloads).
    bool keepChunkNames = true;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
    std::vector<RecordedNotice> notices;
};
