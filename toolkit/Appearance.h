#pragma once

// Geometry, fonts and colours as the window tables give them: positions in
// twips, fonts by their classic names, colours as red, green, blue.

#include <QColor>
#include <QFont>
#include <QRect>

class QWidget;

namespace tk {

// 15 twips are one logical pixel; Qt scales logical pixels to the screen.
inline constexpr int kTwipsPerPixel = 15;

// A rectangle in twips: left, top, width, height.
struct Twips {
    int left;
    int top;
    int width;
    int height;
};

// Each edge is rounded to the nearest pixel on its own, so that controls
// which share an edge in twips share it on screen.
QRect ToPixels(const Twips& twips);
int ToPixels(int twips);

struct FontSpec {
    const char* family = "MS Sans Serif";
    double points = 8.25;
    bool bold = false;
    bool underline = false;
};

// The font a classic face name stands for here: "MS Sans Serif" and "Arial"
// become Liberation Sans, "Garamond" Liberation Serif. The size is set in
// pixels as it was on a 96-dpi screen, so that text keeps its proportion to
// the controls whatever the screen reports.
QFont MakeFont(const FontSpec& face);

struct Rgb {
    int red;
    int green;
    int blue;
    QColor toColor() const { return QColor(red, green, blue); }
};

// Makes the font of a control smaller, a pixel at a time, until `fits` holds
// or the font cannot usefully shrink further. Returns whether it fits.
template <typename Fits>
bool ShrinkFontUntil(QWidget* widget, Fits fits);

} // namespace tk

#include <QWidget>

namespace tk {

template <typename Fits>
bool ShrinkFontUntil(QWidget* widget, Fits fits)
{
    constexpr int kSmallestPixels = 6;
    while (!fits()) {
        QFont font = widget->font();
        if (font.pixelSize() <= kSmallestPixels)
            return false;
        font.setPixelSize(font.pixelSize() - 1);
        widget->setFont(font);
    }
    return true;
}

} // namespace tk
