#include "readers/case_fold.hpp"

#include <cctype>

namespace kalidos {

CaseFold::CaseFold()
{
    for (std::size_t c = 0; c < table_.size(); ++c)
        table_[c] = static_cast<char>(std::tolower(static_cast<int>(c)));
}

bool CaseFold::equals(std::string_view text, std::string_view lowerText) const
{
    return text.size() == lowerText.size() && starts_with(text, lowerText);
}

bool CaseFold::starts_with(std::string_view text, std::string_view lowerPrefix) const
{
    if (text.size() < lowerPrefix.size())
        return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
        if (lower(text[i]) != lowerPrefix[i])
            return false;
    return true;
}

std::string CaseFold::to_lower(std::string_view text) const
{
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = lower(text[i]);
    return out;
}

}  // namespace kalidos
