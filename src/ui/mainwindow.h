// The BCF issue browser and editor: one archive's topics, comments, snapshots and documents.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

class QDate;
class QListWidgetItem;
class QTreeWidgetItem;
struct MainWindowPrivate;

namespace bcf {
struct BcfData;
struct BcfDocument;
} // namespace bcf

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow();
    ~MainWindow() override;

    // The model of the current archive (read access for hosts and tests).
    const bcf::BcfData& bcfData() const;
    // The model with the archive its payloads come from, as a save takes it.
    const bcf::BcfDocument& document() const;
    // UTF-8 path of the current archive file; empty when no file is current.
    const std::string& bcfFilePath() const;
    // Whether the model changed since it was opened, saved or closed.
    bool hasUnsavedChanges() const;
    // Asks for a file name and a version and saves the model there; false when the user cancelled
    // or saving failed (the failure has been shown).
    bool save();

private slots:
    void onTbOpenClicked(bool);
    void onTbCloseClicked(bool);
    void onTbSaveClicked(bool);
    void onTbExportReportClicked(bool);
    void onPbNewIssueClicked(bool);
    void onTwIssuesItemSelectionChanged();
    void onPbNewCommentClicked(bool);
    void onPbNewSnapshotClicked(bool);
    void onPbNewDocumentClicked(bool);
    void onTwCommentItemChanged(QTreeWidgetItem* item, int column);
    void onLwSnapshotsItemSelectionChanged();
    void onLwSnapshotsItemDoubleClicked(QListWidgetItem* item);
    void onActionDeleteIssueTriggered(bool);
    void onActionDeleteCommentTriggered(bool);
    void onActionDeleteSnapshotTriggered(bool);
    void onActionDeleteDocumentTriggered(bool);
    void onLwBitmapsItemDoubleClicked(QListWidgetItem* item);
    void onTwCommentsItemSelectionChanged();
    void onLLabelsLinkActivated(const QString& target);
    void onCbLabelsTextActivated(const QString& text);
    void onDeDueDateDateChanged(const QDate& date);
    void onTbClearDueDateClicked(bool);
    void onLReferenceLinksLinkActivated(const QString& target);
    void onLRelatedTopicsLinkActivated(const QString& target);
    void onLDocumentReferencesLinkActivated(const QString& target);
    void onLBimSnippetLinkActivated(const QString& target);
    void onPteDescriptionTextChanged();
    void onActionAuthorNameTriggered(bool);

private:
    std::unique_ptr<MainWindowPrivate> d;
};
