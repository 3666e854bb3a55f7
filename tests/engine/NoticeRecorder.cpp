#include "NoticeRecorder.h"

namespace {

const char kClassName[] = "OrvantaEngineTestRecorder";

void RegisterOnce(WNDPROC procedure)
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    registered = ::RegisterClassA(&windowClass) != 0;
}

} // namespace

NoticeRecorder::NoticeRecorder()
{
    RegisterOnce(&NoticeRecorder::WindowProc);
    window = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleA(nullptr),
                               nullptr);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NoticeRecorder::~NoticeRecorder()
{
    if (window)
        ::DestroyWindow(window);
}

LRESULT CALLBACK NoticeRecorder::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INSTALL_PROGRESS)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    NoticeRecorder* self = reinterpret_cast<NoticeRecorder*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const ProgressNotice* notice = reinterpret_cast<const ProgressNotice*>(lParam);
    if (!self || !notice)
        return 0;
    RecordedNotice copy;
    copy.code = notice->code;
    if (notice->code != NoticeChunk || self->keepChunkNames)
        copy.name = notice->name;
    copy.chunkBytes = notice->chunkBytes;
    copy.size = notice->size;
    self->notices.push_back(copy);
    // A copy: the reaction may send further notices, which grow the list.
    if (self->onNotice)
        self->onNotice(copy);
    return 0;
}

std::vector<int32_t> NoticeRecorder::Codes() const
{
    std::vector<int32_t> codes;
    for (const RecordedNotice& notice : notices)
        codes.push_back(notice.code);
    return codes;
}

size_t NoticeRecorder::Count(int32_t code) const
{
    size_t count = 0;
    for (const RecordedNotice& notice : notices)
        count += notice.code == code ? 1 : 0;
    return count;
}

std::string NoticeRecorder::Outline() const
{
    static const char* const names[] = {"?", "chunk", "begin", "end", "cancel", "total", "done", "failed"};
    std::string outline;
    for (size_t i = 0; i < notices.size(); ++i) {
        int32_t code = notices[i].code;
        if (code == NoticeChunk && i > 0 && notices[i - 1].code == NoticeChunk)
            continue;
        if (!outline.empty())
            outline += ' ';
        outline += code >= 0 && code <= 7 ? names[code] : "?";
    }
    return outline;
}
