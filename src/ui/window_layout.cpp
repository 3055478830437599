#include "ui/window_layout.h"

#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Shares the height of the main splitter out as the window grows or shrinks, until the user moves
// one of its handles.
class PaneSharer : public QObject {
public:
    PaneSharer(Ui::MainWindow& ui, QWidget* details) : QObject(ui.splitter_2), ui_(ui), details_(details) {
        connect(ui.splitter_2, &QSplitter::splitterMoved, this, [this] { userSplit_ = true; });
        ui.splitter_2->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize && !userSplit_)
            share();
        return false;
    }

private:
    void share() {
        QSplitter* splitter = ui_.splitter_2;
        const int height = splitter->height() - 2 * splitter->handleWidth();
        if (height <= 0)
            return;
        // The list pane without its tree, then the tree's header and the rows.
        QTreeWidget* tree = ui_.twIssues;
        const int rowHeight = std::max(tree->topLevelItemCount() > 0 ? tree->sizeHintForRow(0) : 0,
                                       tree->fontMetrics().height() + 6);
        const int treeHeight = tree->header()->sizeHint().height() + kIssueRowsShown * rowHeight +
                               2 * tree->frameWidth() + tree->horizontalScrollBar()->sizeHint().height();
        const int listPane =
            ui_.layoutWidget->minimumSizeHint().height() - tree->minimumSizeHint().height() + treeHeight;
        const int list = std::min(listPane, height / 2);
        const int details = std::clamp(details_->sizeHint().height(), height / 8, height / 4);
        splitter->setSizes({list, details, std::max(height - list - details, height / 4)});
    }

    Ui::MainWindow& ui_;
    QWidget* details_;
    bool userSplit_ = false;
};

} // namespace

void arrangeWindowPanes(Ui::MainWindow& ui) {
    QSplitter* main = ui.splitter_2;
    // The description with the details beside it, out of the list's pane into one of their own.
    auto* details = new QWidget();
    details->setObjectName(QStringLiteral("wDetailsPane"));
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    ui.verticalLayout_4->removeItem(ui.horizontalLayout_5);
    detailsLayout->addLayout(ui.horizontalLayout_5);
    // The description takes the pane's height; the details keep their width, their labels wrap.
    ui.pteDescription->setMaximumHeight(QWIDGETSIZE_MAX);
    ui.pteDescription->setMinimumHeight(ui.pteDescription->fontMetrics().lineSpacing() * 3);
    ui.pteDescription->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    ui.horizontalLayout_5->setStretch(0, 1);
    ui.horizontalLayout_5->setStretch(1, 1);
    for (QLabel* label : {ui.lLabels, ui.lReferenceLinks, ui.lIfcFiles, ui.lRelatedTopics,
                          ui.lDocumentReferences, ui.lBimSnippet}) {
        label->setWordWrap(true);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 12);
    }
    // One column of details: beside the description a second one leaves each too narrow for
    // related topics' and documents' names, so those rows go below the others.
    QGridLayout* grid = ui.gridLayout;
    int row = grid->rowCount();
    for (const auto& [title, value] :
         {std::pair<QWidget*, QWidget*>{ui.lRelatedTopicsTitle, ui.lRelatedTopics},
          {ui.lDocumentReferencesTitle, ui.lDocumentReferences},
          {ui.lBimSnippetTitle, ui.lBimSnippet}}) {
        grid->removeWidget(title);
        grid->removeWidget(value);
        grid->addWidget(title, row, 0);
        grid->addWidget(value, row, 1, 1, 2);
        ++row;
    }
    grid->setColumnStretch(4, 0);
    // The details grid scrolls when its wrapped lines need more height than the pane has, or its
    // columns more width, instead of cutting rows or columns off; otherwise it takes the pane's width.
    auto* detailsScroll = new QScrollArea();
    detailsScroll->setObjectName(QStringLiteral("saTopicDetails"));
    // Tab goes to the details themselves (the area scrolls to each); the area shows no focus.
    detailsScroll->setFocusPolicy(Qt::NoFocus);
    detailsScroll->setAccessibleName(QCoreApplication::translate("MainWindow", "Topic details"));
    detailsScroll->setWidgetResizable(true);
    detailsScroll->setFrameShape(QFrame::NoFrame);
    delete ui.horizontalLayout_5->replaceWidget(ui.wTopicDetails, detailsScroll);
    detailsScroll->setWidget(ui.wTopicDetails);
    main->insertWidget(1, details);

    // Snapshots and documents beside the comments.
    auto* lower = new QSplitter(Qt::Horizontal);
    lower->setObjectName(QStringLiteral("splitterLower"));
    lower->setChildrenCollapsible(false);
    lower->setHandleWidth(main->handleWidth());
    lower->addWidget(ui.layoutWidget1);
    lower->addWidget(ui.layoutWidget2);
    lower->setStretchFactor(0, 1);
    lower->setStretchFactor(1, 1);
    main->insertWidget(2, lower);
    main->setStretchFactor(0, 3);
    main->setStretchFactor(1, 1);
    main->setStretchFactor(2, 2);
    main->setChildrenCollapsible(false);
    new PaneSharer(ui, details);

    // Comments and documents: the text takes the room left, the other columns fit their content.
    for (QTreeWidget* tree : {ui.twComments, ui.twDocuments}) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        header->setResizeContentsPrecision(100);
        tree->setTextElideMode(Qt::ElideRight);
    }
}
