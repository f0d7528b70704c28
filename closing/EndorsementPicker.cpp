#include "closing/EndorsementPicker.h"

#include "closing/EndorsementFilter.h"
#include "closing/FieldNote.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace closing {
namespace {

using StateCalcs::EndorsementLine;
using StateCalcs::Policy;

constexpr int kEntryRole = Qt::UserRole;
constexpr int kOwners = 0;
constexpr int kLoan = 1;

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "ALTA 9-06  Restrictions, Encroachments, Minerals"; line 40 also shows
// the form agents know it by.
QString LineText(const EndorsementLine& line)
{
    QString form = QStringLiteral("ALTA ") + FromView(line.form);
    if (!line.also.empty())
        form += QStringLiteral(" (") + FromView(line.also) + u')';
    return form + QStringLiteral("  ") + FromView(line.title);
}

} // namespace

EndorsementPicker::EndorsementPicker(QWidget* parent)
    : QWidget(parent),
      m_filter(new QLineEdit),
      m_list(new QListWidget),
      m_nothingFits(new QLabel(tr("No endorsement fits the filter."))),
      m_choice(new QFrame),
      m_question(new QLabel),
      m_group(new QButtonGroup(this))
{
    auto* filterLabel = new QLabel(tr("&Find"));
    filterLabel->setBuddy(m_filter);
    m_filter->setAccessibleName(tr("Find"));
    m_filter->setObjectName(QStringLiteral("endorsementFilter"));
    m_filter->setPlaceholderText(tr("Form number or words, such as 9 or condo"));
    m_filter->setClearButtonEnabled(true);

    auto* listLabel = new QLabel(tr("&Endorsements"));
    listLabel->setBuddy(m_list);
    m_list->setAccessibleName(tr("Endorsements"));
    m_list->setObjectName(QStringLiteral("endorsementList"));
    m_list->setUniformItemSizes(true);
    for (const EndorsementLine& line : StateCalcs::EndorsementLines()) {
        auto* item = new QListWidgetItem(LineText(line), m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(kEntryRole, QVariant::fromValue(line.entry));
    }
    m_nothingFits->setForegroundRole(QPalette::PlaceholderText);
    m_nothingFits->hide();

    auto* head = new QHBoxLayout;
    head->addWidget(listLabel);
    head->addStretch(1);
    head->addWidget(filterLabel);
    head->addWidget(m_filter, 2);

    // The policy of the current line: one choice, so that each of its
    // mnemonics names one button and chooses it.
    m_choice->setObjectName(QStringLiteral("policyChoice"));
    auto* owners = new QRadioButton(tr("o&wner's policy"));
    auto* loan = new QRadioButton(tr("lo&an policy"));
    owners->setObjectName(QStringLiteral("policyOwners"));
    loan->setObjectName(QStringLiteral("policyLoan"));
    m_group->addButton(owners, kOwners);
    m_group->addButton(loan, kLoan);
    auto* row = new QHBoxLayout(m_choice);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(m_question);
    row->addWidget(owners);
    row->addWidget(loan);
    row->addStretch(1);
    m_choice->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(head);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_nothingFits);
    layout->addWidget(m_choice);

    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        const QListWidgetItem* item = m_list->currentItem();
        if (!checked || !item)
            return;
        m_policies[item->data(kEntryRole).value<std::size_t>()] = id == kOwners ? Policy::Owners
                                                                                : Policy::Loan;
        ShowLineText(m_list->currentRow());
        ShowChoice();
        emit Changed();
    });
    connect(m_filter, &QLineEdit::textChanged, this, &EndorsementPicker::ApplyFilter);
    connect(m_list, &QListWidget::currentRowChanged, this, &EndorsementPicker::ShowChoice);
    connect(m_list, &QListWidget::itemChanged, this, [this] {
        ShowChoice();
        emit Changed();
    });
}

void EndorsementPicker::SetBothPolicies(bool both)
{
    if (m_both == both)
        return;
    m_both = both;
    const QSignalBlocker quiet(m_list);
    for (int row = 0; row < m_list->count(); ++row)
        ShowLineText(row);
    ShowChoice();
}

std::vector<StateCalcs::EndorsementRequest> EndorsementPicker::Requests() const
{
    std::vector<StateCalcs::EndorsementRequest> requests;
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem* item = m_list->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        StateCalcs::EndorsementRequest request{item->data(kEntryRole).value<std::size_t>(), {}};
        if (const auto chosen = m_policies.find(request.entry);
            m_both && chosen != m_policies.end())
            request.policy = chosen->second;
        requests.push_back(request);
    }
    return requests;
}

void EndorsementPicker::Clear()
{
    {
        const QSignalBlocker quiet(m_list);
        m_policies.clear();
        for (int row = 0; row < m_list->count(); ++row) {
            m_list->item(row)->setCheckState(Qt::Unchecked);
            ShowLineText(row);
        }
    }
    m_filter->clear();
    m_list->setCurrentRow(0);
    ShowChoice();
    emit Changed();
}

void EndorsementPicker::SetRequests(const std::vector<StateCalcs::EndorsementRequest>& requests)
{
    {
        const QSignalBlocker quiet(m_list);
        m_policies.clear();
        for (int row = 0; row < m_list->count(); ++row)
            m_list->item(row)->setCheckState(Qt::Unchecked);
        for (const StateCalcs::EndorsementRequest& request : requests) {
            if (request.policy)
                m_policies[request.entry] = *request.policy;
            for (int row = 0; row < m_list->count(); ++row)
                if (m_list->item(row)->data(kEntryRole).value<std::size_t>() == request.entry)
                    m_list->item(row)->setCheckState(Qt::Checked);
        }
        for (int row = 0; row < m_list->count(); ++row)
            ShowLineText(row);
    }
    m_filter->clear();
    m_list->setCurrentRow(0);
    ShowChoice();
    emit Changed();
}

std::vector<QWidget*> EndorsementPicker::ChoiceControls() const
{
    std::vector<QWidget*> controls;
    for (QAbstractButton* button : m_group->buttons())
        controls.push_back(button);
    return controls;
}

void EndorsementPicker::ApplyFilter(const QString& filter)
{
    const auto& lines = StateCalcs::EndorsementLines();
    int shown = 0;
    for (int row = 0; row < m_list->count(); ++row) {
        const bool fits = FitsFilter(lines[static_cast<std::size_t>(row)], filter);
        m_list->setRowHidden(row, !fits);
        shown += fits ? 1 : 0;
    }
    m_nothingFits->setVisible(shown == 0);
    // Keep the arrows working from a line the agent can see.
    const QListWidgetItem* current = m_list->currentItem();
    if (!current || current->isHidden())
        for (int row = 0; row < m_list->count(); ++row)
            if (!m_list->isRowHidden(row)) {
                m_list->setCurrentRow(row);
                break;
            }
}

void EndorsementPicker::ShowLineText(int row)
{
    QListWidgetItem* item = m_list->item(row);
    const auto entry = item->data(kEntryRole).value<std::size_t>();
    QString text = LineText(*StateCalcs::EndorsementAt(entry));
    if (const auto chosen = m_policies.find(entry); m_both && chosen != m_policies.end())
        text += chosen->second == Policy::Owners ? tr(" — on the owner's policy")
                                                 : tr(" — on the loan policy");
    if (item->text() != text)
        item->setText(text);
}

void EndorsementPicker::ShowChoice()
{
    const QListWidgetItem* item = m_list->currentItem();
    const bool shown = m_both && item && !item->isHidden() && item->checkState() == Qt::Checked;
    m_choice->setVisible(shown);
    if (!shown) {
        SetMarked(m_choice, false);
        return;
    }
    const auto entry = item->data(kEntryRole).value<std::size_t>();
    const EndorsementLine& line = *StateCalcs::EndorsementAt(entry);
    const QString question = tr("ALTA %1 is on the").arg(FromView(line.form));
    m_question->setText(question);
    m_choice->setAccessibleName(question);
    const auto chosen = m_policies.find(entry);
    {
        const QSignalBlocker quiet(m_group);
        m_group->setExclusive(false);
        for (QAbstractButton* button : m_group->buttons())
            button->setChecked(chosen != m_policies.end()
                               && m_group->id(button)
                                      == (chosen->second == Policy::Owners ? kOwners : kLoan));
        m_group->setExclusive(true);
    }
    // Tab reaches the chosen policy, or the owner's while none is chosen.
    for (QAbstractButton* button : m_group->buttons()) {
        const bool reached = chosen == m_policies.end() ? m_group->id(button) == kOwners
                                                        : button->isChecked();
        button->setFocusPolicy(reached ? Qt::StrongFocus : Qt::ClickFocus);
    }
    // A zoning line is marked until the agent says which policy it is on.
    SetMarked(m_choice, StateCalcs::IsPricedOnAPolicy(line) && chosen == m_policies.end(),
              tr("Choose the owner's or the loan policy."));
}

} // namespace closing
