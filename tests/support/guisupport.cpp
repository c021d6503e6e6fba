#include "support/guisupport.h"

namespace tovrin::test {

bool ScriptedPickers::pickColor(QColor& value, QWidget*)
{
    colorPresets << value;
    if (colors.empty())
        return false;
    auto answer = colors.front();
    colors.pop_front();
    if (!answer)
        return false;
    value = *answer;
    return true;
}

bool ScriptedPickers::pickFont(FontChoice& value, bool onlySize8, QWidget*)
{
    fontPresets << value;
    fontOnlySize8 << onlySize8;
    if (fonts.empty())
        return false;
    auto answer = fonts.front();
    fonts.pop_front();
    if (!answer)
        return false;
    value = *answer;
    return true;
}

} // namespace tovrin::test
