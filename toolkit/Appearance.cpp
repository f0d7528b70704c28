#include "toolkit/Appearance.h"

#include <cmath>
#include <cstring>

namespace tk {

int ToPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect ToPixels(const Twips& t)
{
    const int left = ToPixels(t.left);
    const int top = ToPixels(t.top);
    const int right = ToPixels(t.left + t.width);
    const int bottom = ToPixels(t.top + t.height);
    return QRect(left, top, right - left, bottom - top);
}

QFont MakeFont(const FontSpec& face)
{
    const bool serif = std::strcmp(face.family, "Garamond") == 0;
    QFont font(serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans"));
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(face.points * 96.0 / 72.0)));
    font.setBold(face.bold);
    font.setUnderline(face.underline);
    return font;
}

} // namespace tk
