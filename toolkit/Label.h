#pragma once

// A caption on the window. Its text is shown as plain text, wrapped within
// the label's width where asked; where it does not fit the box in the font
// that stands in for the classic one, the font is made smaller until it does.

#include "toolkit/Appearance.h"

#include <QLabel>

#include <string>

namespace tk {

class Form;

class Label : public QLabel {
public:
    struct Style {
        Qt::Alignment alignment = Qt::AlignLeft;
        bool wrap = false;
        // Off for a label drawn too small to show anything, on purpose.
        bool shrinkToFit = true;
    };

    Label(Form* form, const char* name, const std::string& caption, const Twips& place,
          const FontSpec& font, const Style& style);

    std::string Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);

    void SetColour(const Rgb& text);

    // Whether the whole caption shows within the label.
    bool CaptionFits() const;

private:
    void FitCaption();

    std::string m_caption;
    bool m_shrinkToFit;
};

} // namespace tk
