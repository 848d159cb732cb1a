#include "readers/separate_label_digit.hpp"

namespace kalidos
{

void separate_label_digit(std::string& text)
{
    if (text.size() >= 2 && text[1] >= '0' && text[1] <= '9')
        text.insert(text.begin() + 1, ' ');
}

} // namespace kalidos
