// The BCF issue browser and editor: one archive's topics, comments, snapshots and documents.
#pragma once

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <string>

class BcfSession;
class TopicSelection;
class ViewpointLink;
struct MainWindowPrivate;

namespace bcf {
struct BcfData;
struct BcfDocument;
enum class BcfVersion : std::int32_t;
} // namespace bcf

// Puts the pieces of the window together: the form, the session that holds the document and its
// undo stack, the views that show it, and the window's own commands (open, close, save, report,
// author name, undo and redo).
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow();
    ~MainWindow() override;

    // The document of this window, its undo stack and what changes it.
    BcfSession& session() const;
    // The model of the current archive (read access for hosts and tests).
    const bcf::BcfData& bcfData() const;
    // The model with the archive its payloads come from, as a save takes it.
    const bcf::BcfDocument& document() const;
    // UTF-8 path of the current archive file; empty when no file is current.
    const std::string& bcfFilePath() const;
    // Whether the model changed since it was opened, saved or closed.
    bool hasUnsavedChanges() const;
    // Saves the model to the current file in the version it was opened or last saved in, or asks
    // like saveAs() when there is no current file; false when the user cancelled or saving failed
    // (the failure has been shown).
    bool save();
    // Asks for a file name and a version and saves the model there; the file and the version become
    // the current ones. False when the user cancelled or saving failed (the failure has been shown).
    bool saveAs();
    // Opens the archive at `path` as the open command does once a file is chosen, asking first
    // what becomes of unsaved changes; false when the user kept them or loading failed (shown).
    bool open(const QString& path);
    // Saves the model to `path` as `version`, without a dialog; false when saving failed (shown).
    bool saveAs(const QString& path, bcf::BcfVersion version);
    // Closes the archive as the close command does; false when the user kept the unsaved changes.
    bool closeArchive();
    // The topic and snapshot the user has selected.
    TopicSelection& selection() const;
    // What the window and the host's model view tell each other.
    ViewpointLink& viewpointLink() const;

private:
    std::unique_ptr<MainWindowPrivate> d;
};
