// The combo-box cells of the issue list (type, status, assigned to, stage, priority).
#pragma once

#include <QStyledItemDelegate>

#include <string>
#include <vector>

// Paints a cell as a combo box showing its text, and on a click (or the edit key) opens a real
// QComboBox over it with the extension values to choose from, plus the cell's own value when the
// list lacks it. The choice is written into the cell; the list's itemChanged takes it into the
// topic. Painting instead of one widget per cell keeps the list fast at thousands of rows.
class IssueComboDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // `values` is the model's extension list for the column; it must outlive the delegate.
    IssueComboDelegate(const std::vector<std::string>* values, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    const std::vector<std::string>* values_;
};
