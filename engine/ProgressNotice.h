#pragma once
// The one message the install worker reports progress with, and the record it carries.
//
// The worker sends WM_INSTALL_PROGRESS with SendMessageW to the wizard frame: first
// parameter 0, second parameter a pointer to a ProgressNotice. The send is synchronous,
// so the record (and its name) may live on the worker's stack; the frame reads it only
// during the call, copies what it keeps, and returns 0 for every code but
// NoticeFileInUse, which it answers.
#include <cstdint>
#include <string>

// WM_USER (0x0400) + 0x1000, spelled out so that this header needs no <windows.h>.
constexpr unsigned int WM_INSTALL_PROGRESS = 0x0400 + 0x1000;

// Notice codes. The engine's `state` holds the code of the last notice sent, so these
// values double as the engine's states; NoticeCancel (4) is final once reached.
enum NoticeCode : std::int32_t {
    // After each chunk written: name = file path, chunkBytes = bytes of the chunk.
    NoticeChunk = 1,
    // Before the first chunk of a file: name = file path, size = its uncompressed size.
    NoticeFileBegin = 2,
    // After the last chunk of a file: name = file path.
    NoticeFileEnd = 3,
    // The user confirmed cancelling a running installation; nothing else is carried.
    NoticeCancel = 4,
    // Once, before the first file: size = sum of the uncompressed sizes of all items.
    NoticeTotal = 5,
    // The worker's last notice after an installation that ran to its end.
    NoticeDone = 6,
    // The worker's last notice, sent instead of NoticeDone, when the payload could not
    // be opened, decoded, opened as an archive or written out. No shortcut or record is
    // made then; the frame answers it like an abandoned installation, with the rollback
    // and the cancel page, so a half-written product never looks installed. Like
    // NoticeDone it is never sent after a cancel.
    NoticeFailed = 7,
    // A product file is there already and a running program holds it, so it can be neither
    // set aside nor replaced: name = its path. The frame answers IDRETRY to have the worker
    // try that file again (the user closed the program); any other answer fails the item as
    // before. Silenced after a cancel like every other notice.
    NoticeFileInUse = 8,
};

// Sizes and chunk counts are bytes for payloads below 2 GiB. A larger payload is counted
// in units of 2^k bytes (the smallest k that brings its total within INT32_MAX, see
// engine/ProgressScale.h), so the 32-bit fields and progress bars can hold it; the chunk
// notices of a file still add up exactly to its NoticeFileBegin size, and those of all
// files to the NoticeTotal size.
struct ProgressNotice {
    std::int32_t code = 0;        // a NoticeCode
    std::string name;             // file path (UTF-8) for NoticeChunk, NoticeFileBegin, NoticeFileEnd; else empty
    std::int32_t chunkBytes = 0;  // NoticeChunk only
    std::int32_t size = 0;        // NoticeFileBegin: file size; NoticeTotal: total size; else 0
};
