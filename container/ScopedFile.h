#pragma once
#include <cstdio>
#include <memory>

// An open C stream that closes itself. A failed write may show first when the stream is
// closed, so code that writes closes explicitly (fclose(file.release())) and checks it.
struct ScopedFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<std::FILE, ScopedFileCloser>;
