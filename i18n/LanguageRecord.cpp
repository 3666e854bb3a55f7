#include "i18n/LanguageRecord.h"

const std::string& LanguageRecord::Text(int identifier) const
{
    static const std::string kNone;
    int index = TextId::IndexOf(identifier);
    return index < 0 ? kNone : texts[index];
}

void LanguageRecord::SetText(int identifier, const std::string& text)
{
    int index = TextId::IndexOf(identifier);
    if (index >= 0)
        texts[index] = text;
}
