#include "toolkit/Label.h"

#include "toolkit/Form.h"

namespace tk {

Label::Label(Form* form, const char* name, const std::string& caption, const Twips& place,
             const FontSpec& font, const Style& style)
    : QLabel(form), m_shrinkToFit(style.shrinkToFit)
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(ToPixels(place));
    setFont(MakeFont(font));
    setTextFormat(Qt::PlainText);
    setAlignment(style.alignment | Qt::AlignTop);
    setWordWrap(style.wrap);
    setFocusPolicy(Qt::NoFocus);
    SetCaption(caption);
}

void Label::SetCaption(const std::string& caption)
{
    m_caption = caption;
    setText(QString::fromStdString(caption));
    // A screen reader says the caption as shown, without its blanks; a text
    // box whose buddy the label is goes by the label's text too.
    setAccessibleName(text().trimmed());
    FitCaption();
}

void Label::SetColour(const Rgb& text)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, text.toColor());
    setPalette(p);
}

bool Label::CaptionFits() const
{
    const QRect box = contentsRect();
    int flags = static_cast<int>(alignment()) | Qt::TextExpandTabs;
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    const QRect needed = fontMetrics().boundingRect(box, flags, text());
    return needed.width() <= box.width() && needed.height() <= box.height();
}

void Label::FitCaption()
{
    if (m_shrinkToFit)
        ShrinkFontUntil(this, [this] { return CaptionFits(); });
}

} // namespace tk
