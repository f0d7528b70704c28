#pragma once

// The endorsements of a closing: the catalogue's ALTA lines as a list the
// agent checks with the arrows and Space (or the mouse), a filter box that
// narrows the list as the agent types, and, when the closing has both
// policies, the choice of the policy the current checked line is on. The
// zoning endorsements (ALTA 3-06 and 3.1-06) are priced on the charge of
// their policy and need that choice; any other line may be left on neither
// and is then disclosed under the lender's policy. A checked line stays
// checked, and in the quote, while the filter hides it.

#include "engine/Closing.h"

#include <QWidget>

#include <map>
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

    // With both policies the current checked line asks which it is on; with
    // one it is on that one and asks nothing.
    void SetBothPolicies(bool both);

    // The checked lines in catalogue order, each with the policy chosen for
    // it while the closing has both.
    std::vector<StateCalcs::EndorsementRequest> Requests() const;

    // Unchecks every line, forgets every policy chosen and empties the filter.
    void Clear();
    // Checks the lines a kept closing has, each on the policy it was on.
    void SetRequests(const std::vector<StateCalcs::EndorsementRequest>& requests);

    QLineEdit* Filter() const { return m_filter; }
    QListWidget* List() const { return m_list; }
    // The controls after the list, in the order Tab reaches them.
    std::vector<QWidget*> ChoiceControls() const;

signals:
    void Changed();

private:
    void ApplyFilter(const QString& filter);
    void ShowChoice();
    void ShowLineText(int row);

    QLineEdit* m_filter;
    QListWidget* m_list;
    QLabel* m_nothingFits;
    QFrame* m_choice;
    QLabel* m_question;
    QButtonGroup* m_group;
    std::map<std::size_t, StateCalcs::Policy> m_policies; // by catalogue line
    bool m_both = false;
};

} // namespace closing
