#include "engine/zip/ZipPlatform.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct PosixFile {
    int descriptor;
};

int Descriptor(ZipPlatform::File file)
{
    return static_cast<PosixFile*>(file)->descriptor;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1601-01-01 to the given date of the proleptic Gregorian calendar.
int64_t DaysSince1601(int year, int month, int day)
{
    int64_t years = year - 1601;
    int64_t days = years * 365 + years / 4 - years / 100 + years / 400;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    return days + day - 1;
}

} // namespace

ZipPlatform::File ZipPlatform::OpenForReading(const char* fileName)
{
    int descriptor = open(fileName, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    return new PosixFile{descriptor};
}

uint32_t ZipPlatform::Read(File file, void* buffer, uint32_t length)
{
    uint32_t total = 0;
    while (total < length) {
        ssize_t got = read(Descriptor(file), static_cast<char*>(buffer) + total, length - total);
        if (got <= 0)
            break;
        total += uint32_t(got);
    }
    return total;
}

bool ZipPlatform::Seek(File file, int64_t offset, int origin)
{
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2)
        return false;
    return lseek(Descriptor(file), off_t(offset), whence[origin]) >= 0;
}

int64_t ZipPlatform::Tell(File file)
{
    return lseek(Descriptor(file), 0, SEEK_CUR);
}

void ZipPlatform::Close(File file)
{
    close(Descriptor(file));
    delete static_cast<PosixFile*>(file);
}

bool ZipPlatform::SystemTimeToFileTime(const ZipSystemTime& time, uint64_t& fileTime)
{
    if (time.year < 1601 || time.year > 30827 || time.month < 1 || time.month > 12 || time.day < 1
        || time.day > DaysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59
        || time.second > 59 || time.milliseconds > 999)
        return false;
    int64_t seconds = DaysSince1601(time.year, time.month, time.day) * 86400 + time.hour * 3600
        + time.minute * 60 + time.second;
    fileTime = uint64_t(seconds) * 10000000u + uint64_t(time.milliseconds) * 10000u;
    return true;
}

// The host build takes the local time zone as UTC, so tests and fuzzing see the same
// times on every machine whatever its TZ setting.
bool ZipPlatform::LocalFileTimeToFileTime(uint64_t localFileTime, uint64_t& fileTime)
{
    fileTime = localFileTime;
    return true;
}

namespace {

// One iconv pass over the whole text; false when any of it cannot be converted.
// No character takes more than four times its length in the other form.
bool Convert(const char* to, const char* from, const std::string& input, std::string& output)
{
    output.clear();
    iconv_t converter = iconv_open(to, from);
    if (converter == iconv_t(-1))
        return false;
    std::string out(input.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* put = &out[0];
    size_t outLeft = out.size();
    bool ok = inLeft == 0 || iconv(converter, &in, &inLeft, &put, &outLeft) != size_t(-1);
    iconv_close(converter);
    if (!ok || inLeft != 0)
        return false;
    out.resize(out.size() - outLeft);
    output = out;
    return true;
}

std::string CodePageName(uint32_t codePage)
{
    return "CP" + std::to_string(codePage == 0 ? 936 : codePage);
}

} // namespace

bool ZipPlatform::FromUtf8(const std::string& utf8, uint32_t codePage, std::string& text)
{
    return Convert(CodePageName(codePage).c_str(), "UTF-8", utf8, text);
}

bool ZipPlatform::ToUtf8(const std::string& bytes, uint32_t codePage, std::string& utf8)
{
    return Convert("UTF-8", CodePageName(codePage).c_str(), bytes, utf8);
}
