#include "closing/EndorsementFilter.h"

#include <QStringList>

namespace closing {
namespace {

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool FitsForm(std::string_view formView, const QString& typed)
{
    const QString form = FromView(formView);
    if (form.isEmpty() || !form.startsWith(typed))
        return false;
    if (form.size() == typed.size() || typed.contains(u'.') || typed.contains(u'-'))
        return true;
    const QChar next = form.at(typed.size());
    return next == u'.' || next == u'-';
}

} // namespace

bool FitsFilter(const StateCalcs::EndorsementLine& line, const QString& filter)
{
    const QString words = QStringLiteral("ALTA ") + FromView(line.title);
    const QStringList typed = filter.simplified().split(u' ', Qt::SkipEmptyParts);
    for (const QString& word : typed) {
        const bool fits = word.front().isDigit()
                              ? FitsForm(line.form, word) || FitsForm(line.also, word)
                              : words.contains(word, Qt::CaseInsensitive);
        if (!fits)
            return false;
    }
    return true;
}

} // namespace closing
