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
      m_nothingFits(new QLabel(tr("No endorsement fits the filter.")))
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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(head);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_nothingFits);

    for (const EndorsementLine& line : StateCalcs::EndorsementLines()) {
        if (!StateCalcs::IsPricedOnAPolicy(line))
            continue;
        auto* frame = new QFrame;
        frame->setObjectName(QStringLiteral("zoningChoice"));
        const QString question = tr("ALTA %1 is on the").arg(FromView(line.form));
        frame->setAccessibleName(question);
        auto* owners = new QRadioButton(tr("o&wner's policy"));
        auto* loan = new QRadioButton(tr("lo&an policy"));
        owners->setObjectName(QStringLiteral("zoningOwners"));
        loan->setObjectName(QStringLiteral("zoningLoan"));
        auto* group = new QButtonGroup(frame);
        group->addButton(owners, kOwners);
        group->addButton(loan, kLoan);
        auto* row = new QHBoxLayout(frame);
        row->setContentsMargins(4, 2, 4, 2);
        row->addWidget(new QLabel(question));
        row->addWidget(owners);
        row->addWidget(loan);
        row->addStretch(1);
        frame->hide();
        layout->addWidget(frame);
        m_choices.push_back({line.entry, frame, group});
        connect(group, &QButtonGroup::idToggled, this, [this](int, bool checked) {
            if (!checked)
                return;
            ShowChoices();
            emit Changed();
        });
    }

    connect(m_filter, &QLineEdit::textChanged, this, &EndorsementPicker::ApplyFilter);
    connect(m_list, &QListWidget::itemChanged, this, [this] {
        ShowChoices();
        emit Changed();
    });
}

void EndorsementPicker::SetBothPolicies(bool both)
{
    if (m_both == both)
        return;
    m_both = both;
    ShowChoices();
}

std::vector<StateCalcs::EndorsementRequest> EndorsementPicker::Requests() const
{
    std::vector<StateCalcs::EndorsementRequest> requests;
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem* item = m_list->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        StateCalcs::EndorsementRequest request{item->data(kEntryRole).value<std::size_t>(), {}};
        for (const ZoningChoice& choice : m_choices)
            if (m_both && choice.entry == request.entry && choice.group->checkedId() >= 0)
                request.policy = choice.group->checkedId() == kOwners ? Policy::Owners
                                                                      : Policy::Loan;
        requests.push_back(request);
    }
    return requests;
}

std::vector<QWidget*> EndorsementPicker::ChoiceControls() const
{
    std::vector<QWidget*> controls;
    for (const ZoningChoice& choice : m_choices)
        for (QAbstractButton* button : choice.group->buttons())
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

void EndorsementPicker::ShowChoices()
{
    for (const ZoningChoice& choice : m_choices) {
        const auto row = static_cast<int>(choice.entry - StateCalcs::EndorsementLines()[0].entry);
        const bool checked = m_list->item(row)->checkState() == Qt::Checked;
        choice.frame->setVisible(m_both && checked);
        // Marked until the agent says which policy the line is on.
        SetMarked(choice.frame, m_both && checked && choice.group->checkedId() < 0,
                  tr("Choose the owner's or the loan policy."));
    }
}

} // namespace closing
