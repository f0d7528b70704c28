#pragma once

// The endorsements of a closing: the catalogue's ALTA lines as a list the
// agent checks with the arrows and Space (or the mouse), a filter box that
// narrows the list as the agent types, and, for the zoning endorsements
// (ALTA 3-06 and 3.1-06, priced on the charge of a policy), the choice of
// the owner's or the loan policy when the closing has both. A checked line
// stays checked, and in the quote, while the filter hides it.

#include "engine/Closing.h"

#include <QWidget>

#include <vector>

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;

namespace closing {

class EndorsementPicker : public QWidget {
    Q_OBJECT
public:
    explicit EndorsementPicker(QWidget* parent = nullptr);

    // With both policies each checked zoning line asks which it is on; with
    // one it is on that one and asks nothing.
    void SetBothPolicies(bool both);

    // The checked lines in catalogue order, each zoning line with the
    // policy chosen for it while the closing has both.
    std::vector<StateCalcs::EndorsementRequest> Requests() const;

    QLineEdit* Filter() const { return m_filter; }
    QListWidget* List() const { return m_list; }
    // The controls after the list, in the order Tab reaches them.
    std::vector<QWidget*> ChoiceControls() const;

signals:
    void Changed();

private:
    struct ZoningChoice {
        std::size_t entry;
        QFrame* frame;
        QButtonGroup* group;
    };

    void ApplyFilter(const QString& filter);
    void ShowChoices();

    QLineEdit* m_filter;
    QListWidget* m_list;
    QLabel* m_nothingFits;
    std::vector<ZoningChoice> m_choices;
    bool m_both = false;
};

} // namespace closing
