#include "i18n/LanguageTable.h"

#include "framework/SpecialFolder.h"
#include "i18n/BuiltinTexts.h"
#include "i18n/ExeDirectory.h"

#include <windows.h>
#include <shlobj.h>

namespace {

void MakeFont(CFont& font, const wchar_t* faceName, LONG height, BYTE charSet)
{
    LOGFONTW logFont = {};
    logFont.lfHeight = height;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = charSet;
    ::lstrcpynW(logFont.lfFaceName, faceName, LF_FACESIZE);
    font.CreateFontIndirect(&logFont);
}

} // namespace

LanguageTable* LanguageTable::instance_ = nullptr;

LanguageTable::LanguageTable()
{
    MakeFont(fonts_[0], L"MS Sans Serif", 8, DEFAULT_CHARSET);
    // 宋体 is the Chinese font, asked for with the Chinese character set: where no font
    // has that name (Wine) one that holds Chinese stands in, whatever the machine's code
    // page. Under code page 936 the default character set meant exactly this.
    MakeFont(fonts_[1], L"\u5B8B\u4F53", 11, GB2312_CHARSET); // 宋体
}

LanguageTable* LanguageTable::Instance()
{
    if (!instance_) {
        instance_ = new LanguageTable();
        instance_->SetFile(GetExeDirectory() + "\\install\\lang.ini");
        instance_->currentLanguage_ = instance_->GetPreferredLanguage();
    }
    return instance_;
}

void LanguageTable::Release()
{
    delete instance_;
    instance_ = nullptr;
}

int LanguageTable::GetLanguageCount() const
{
    return ReadInt("lang", "count", 0);
}

int LanguageTable::GetDefaultLanguage() const
{
    return ReadInt("lang", "default", 1);
}

void LanguageTable::GetLanguageNames(std::vector<std::string>& names) const
{
    for (int n = 1; n <= GetLanguageCount(); ++n)
        names.push_back(ReadString("lang", "lang" + std::to_string(n), ""));
}

int LanguageTable::ChooseLanguage(LANGID userLanguage) const
{
    int primaryMatch = 0;
    const int count = GetLanguageCount();
    for (int n = 1; n <= count; ++n) {
        int langid = ReadInt("lang" + std::to_string(n), "langid", 0);
        // No key, or no language identifier (they are 16-bit, and 0 is the neutral one).
        if (langid <= 0 || langid > 0xFFFF)
            continue;
        if (langid == userLanguage)
            return n;
        if (primaryMatch == 0 && PRIMARYLANGID(static_cast<LANGID>(langid)) == PRIMARYLANGID(userLanguage))
            primaryMatch = n;
    }
    return primaryMatch != 0 ? primaryMatch : GetDefaultLanguage();
}

int LanguageTable::GetPreferredLanguage() const
{
    return ChooseLanguage(::GetUserDefaultUILanguage());
}

void LanguageTable::SetCurrentLanguage(int language)
{
    currentLanguage_ = language;
    cache_.Clear();
}

int LanguageTable::GetCurrentLanguage() const
{
    return currentLanguage_;
}

void LanguageTable::FillRecord(int language, LanguageRecord& record) const
{
    if (cache_.Find(GetFile(), language, record))
        return;
    RecordCache::FileState before = cache_.Begin(GetFile(), true);
    const std::string section = "lang" + std::to_string(language);
    record.font = ReadInt(section, "font", 0);
    for (int identifier : TextId::All)
        record.SetText(identifier,
                       ReadString(section, std::to_string(identifier), BuiltinTexts::Get(identifier)));
    cache_.Store(GetFile(), language, before, record);
}

std::string LanguageTable::ReadText(int language, int identifier) const
{
    return ReadString("lang" + std::to_string(language), std::to_string(identifier), BuiltinTexts::Get(identifier));
}

void LanguageTable::FillCurrentRecord(LanguageRecord& record) const
{
    FillRecord(currentLanguage_, record);
}

CFont* LanguageTable::GetLanguageFont()
{
    LanguageRecord record;
    FillCurrentRecord(record);
    // Parity of the two's-complement value, so a negative selector picks as its low
    // bit says (-1 font 1, -2 font 0), the same rule as for every other number.
    return &fonts_[record.font & 1];
}

CFont* LanguageTable::GetFixedFont()
{
    return &fonts_[0];
}

void LanguageTable::ReadInstallSettings(InstallSettings& settings) const
{
    settings.title = ReadString("install", "title", "Orvanta 4.00");
    settings.group = ReadString("install", "group", "Orvanta 4.00");
    settings.linkfrom = ReadString("install", "linkfrom", "Brenholt");
    settings.linkto = ReadString("install", "linkto", "http://www.example.com/");
    settings.installpath = ReadString("install", "installpath", "c:\\Program Files\\");
    settings.installname = ReadString("install", "installname", "Orvanta 4.00");
    settings.states = ReplaceAll(ReadString("install", "states", ""), "#", "\r\n");
    settings.version = ReadString("install", "version", "");
}

int LanguageTable::GetLinkCount() const
{
    return ReadInt("link", "count", 0);
}

void LanguageTable::ReadLinks(std::vector<LinkEntry>& links) const
{
    for (int m = 1; m <= GetLinkCount(); ++m) {
        std::string value = ReadString("link", "link" + std::to_string(m), "");
        std::size_t separator = value.find('#');
        if (separator == std::string::npos || separator == 0)
            continue;
        links.push_back(LinkEntry{value.substr(0, separator), value.substr(separator + 1)});
    }
}

std::string LanguageTable::GetWorkFolder()
{
    return SpecialFolder::PathWithBackslash(CSIDL_TEMPLATES);
}

std::string LanguageTable::ReplaceAll(const std::string& source, const std::string& pattern,
                                      const std::string& replacement)
{
    if (pattern.empty())
        return source;
    std::string result;
    std::size_t start = 0;
    for (std::size_t found; (found = source.find(pattern, start)) != std::string::npos;
         start = found + pattern.size()) {
        result.append(source, start, found - start);
        result += replacement;
    }
    result.append(source, start, std::string::npos);
    return result;
}
