#include "ui/issue_filter_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>

#include <algorithm>

namespace {

// The entry of a topic without a value; its data is an empty text, "any value" has none.
QString noValueText() {
    return IssueFilterBar::tr("(none)", "no value");
}

} // namespace

IssueFilterBar::IssueFilterBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("leIssueSearch"));
    search_->setPlaceholderText(tr("Search issues"));
    search_->setAccessibleName(tr("Search issues"));
    search_->setAccessibleDescription(tr("Shows only the topics whose texts contain what is typed"));
    search_->setClearButtonEnabled(true);
    // Room for a word or two: a narrow viewer scrolls rather than squeezing the field to nothing.
    search_->setMinimumWidth(search_->fontMetrics().averageCharWidth() * 14);
    layout->addWidget(search_, 1);
    connect(search_, &QLineEdit::textChanged, this, [this] {
        if (!quiet_)
            emit changed();
    });

    const struct {
        const char* name;
        const char* any;
        const char* accessibleName;
        std::string bcf::Topic::*member;
        const std::vector<std::string> bcf::BcfData::*extension;
    } fields[] = {
        {"cbIssueType", QT_TR_NOOP("All types"), QT_TR_NOOP("Type filter"), &bcf::Topic::topicType,
         &bcf::BcfData::topicTypes},
        {"cbIssueStatus", QT_TR_NOOP("All statuses"), QT_TR_NOOP("Status filter"), &bcf::Topic::topicStatus,
         &bcf::BcfData::topicStatuses},
        {"cbIssueAssignedTo", QT_TR_NOOP("All assignees"), QT_TR_NOOP("Assignee filter"),
         &bcf::Topic::assignedTo, &bcf::BcfData::users},
        {"cbIssuePriority", QT_TR_NOOP("All priorities"), QT_TR_NOOP("Priority filter"),
         &bcf::Topic::priority, &bcf::BcfData::priorities},
        {"cbIssueStage", QT_TR_NOOP("All stages"), QT_TR_NOOP("Stage filter"), &bcf::Topic::stage,
         &bcf::BcfData::stages},
    };
    for (const auto& field : fields) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(field.name));
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->addItem(tr(field.any));
        box->setAccessibleName(tr(field.accessibleName));
        box->setAccessibleDescription(tr("Shows only the topics with the chosen value"));
        layout->addWidget(box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!quiet_)
                emit changed();
        });
        fields_.push_back({box, field.member, field.extension});
    }
}

IssueFilter IssueFilterBar::filter() const {
    IssueFilter filter;
    filter.search = search_->text();
    std::optional<std::string>* wanted[] = {&filter.topicType, &filter.topicStatus, &filter.assignedTo,
                                            &filter.priority, &filter.stage};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const QVariant value = fields_[i].box->currentData();
        if (value.isValid())
            *wanted[i] = value.toString().toStdString();
    }
    return filter;
}

void IssueFilterBar::addChoice(QComboBox* box, const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (box->findData(text, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    box->addItem(value.empty() ? noValueText() : text, text);
}

void IssueFilterBar::setChoices(const bcf::BcfData& model) {
    quiet_ = true;
    const bool wasActive = filter().active();
    search_->clear();
    for (const Field& field : fields_) {
        field.box->setCurrentIndex(0);
        while (field.box->count() > 1)
            field.box->removeItem(1);
        // The extension values in their order, then values that only topics hold; each once, so
        // a few hundred distinct values among thousands of topics keep the box short.
        std::vector<std::string> values = model.*field.extension;
        std::sort(values.begin(), values.end());
        for (const std::string& value : model.*field.extension)
            addChoice(field.box, value);
        for (const bcf::Markup& markup : model.markups) {
            const std::string& value = markup.topic.*field.member;
            if (!std::binary_search(values.begin(), values.end(), value)) {
                values.insert(std::upper_bound(values.begin(), values.end(), value), value);
                addChoice(field.box, value);
            }
        }
    }
    quiet_ = false;
    if (wasActive)
        emit changed();
}

void IssueFilterBar::addChoices(const bcf::Topic& topic) {
    quiet_ = true;
    for (const Field& field : fields_)
        addChoice(field.box, topic.*field.member);
    quiet_ = false;
}

void IssueFilterBar::clear() {
    if (!filter().active())
        return;
    quiet_ = true;
    search_->clear();
    for (const Field& field : fields_)
        field.box->setCurrentIndex(0);
    quiet_ = false;
    emit changed();
}
