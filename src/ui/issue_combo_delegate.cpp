#include "ui/issue_combo_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

#include <algorithm>

namespace {

QStyle* styleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
}

// A closed, enabled combo box over the cell, showing `text`.
QStyleOptionComboBox comboOption(const QStyleOptionViewItem& option, const QString& text) {
    QStyleOptionComboBox box;
    box.direction = option.direction;
    box.rect = option.rect;
    box.palette = option.palette;
    box.fontMetrics = option.fontMetrics;
    box.state = QStyle::State_Active | (option.state & QStyle::State_Enabled);
    box.frame = true;
    box.editable = false;
    box.currentText = text;
    return box;
}

} // namespace

IssueComboDelegate::IssueComboDelegate(const std::vector<std::string>* values, QObject* parent)
    : QStyledItemDelegate(parent), values_(values) {}

void IssueComboDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    const QString text = item.text;
    QStyle* style = styleOf(option);
    // The row's background and selection first, then the box over it.
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, option.widget);

    QStyleOptionComboBox box = comboOption(item, text);
    const QRect field =
        style->subControlRect(QStyle::CC_ComboBox, &box, QStyle::SC_ComboBoxEditField, option.widget);
    box.currentText = item.fontMetrics.elidedText(text, Qt::ElideRight, field.width() - 2);
    painter->save();
    style->drawComplexControl(QStyle::CC_ComboBox, &box, painter, option.widget);
    style->drawControl(QStyle::CE_ComboBoxLabel, &box, painter, option.widget);
    painter->restore();
}

QSize IssueComboDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    const QStyleOptionComboBox box = comboOption(item, item.text);
    const QSize text(item.fontMetrics.horizontalAdvance(item.text), item.fontMetrics.height());
    return styleOf(option)->sizeFromContents(QStyle::CT_ComboBox, &box, text, option.widget);
}

bool IssueComboDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                     const QStyleOptionViewItem& option, const QModelIndex& index) {
    // A click on the painted box opens the real one, as a click on a combo box does.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        option.rect.contains(static_cast<QMouseEvent*>(event)->position().toPoint()) &&
        (index.flags() & Qt::ItemIsEditable)) {
        if (auto* view = qobject_cast<QAbstractItemView*>(const_cast<QWidget*>(option.widget))) {
            view->edit(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

QWidget* IssueComboDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex& index) const {
    auto* box = new QComboBox(parent);
    // Named by its column ("Status"), for screen readers.
    box->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString());
    box->setAccessibleDescription(tr("Choosing a value sets it for the topic"));
    for (const std::string& value : *values_)
        box->addItem(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    // A choice ends the edit at once; closing the list without one leaves the cell as it was.
    auto* self = const_cast<IssueComboDelegate*>(this);
    connect(box, &QComboBox::activated, self, [self, box] {
        emit self->commitData(box);
        emit self->closeEditor(box);
    });
    QTimer::singleShot(0, box, &QComboBox::showPopup);
    return box;
}

void IssueComboDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    int row = -1;
    if (!text.isEmpty()) {
        // The topic's own value is offered too when the extensions do not list it.
        row = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (row < 0) {
            box->addItem(text);
            row = box->count() - 1;
        }
    }
    box->setCurrentIndex(row);
    // The list shows every value whole, however narrow the cell.
    QAbstractItemView* view = box->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) + 2 * view->frameWidth() +
                          view->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
}

void IssueComboDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    if (box->currentIndex() >= 0)
        model->setData(index, box->currentText(), Qt::EditRole);
}

void IssueComboDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex&) const {
    // A narrow cell (a new row's empty one) still shows a box wide enough for its values.
    QRect rect = option.rect;
    rect.setWidth(std::max(rect.width(), editor->sizeHint().width()));
    editor->setGeometry(rect);
}
