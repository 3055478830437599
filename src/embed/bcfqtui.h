// BcfQtUi: the BCF issue viewer embedded in a native window of a Qt Widgets host application.
#pragma once

#include "bcfviewpoint.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QtGlobal>

#include <functional>
#include <memory>

#if defined(BCFQTUI_LIBRARY)
#define BCFQTUI_EXPORT Q_DECL_EXPORT
#else
#define BCFQTUI_EXPORT Q_DECL_IMPORT
#endif

class BcfQtUiPrivate;

// One embedded view: a placeholder widget inside the host's native window, holding the BCF main
// window. Construct, use and destroy it on the GUI thread, after the QApplication exists.
//
// The host talks to the view in two directions. It drives the view with the member functions
// below (open, save, close, select a topic, add a viewpoint) and hears from it through the
// signals: what the user selected, whether there are unsaved changes, which file is current, and
// which viewpoint the user wants to see in the model. A host with a model view of its own registers
// a viewpoint provider, so that the viewer's "New Snapshot" stores what that view shows.
//
// Commands that can fail (open, saveAs, close and save) show the failure in the view, as the
// viewer's own commands do, and return false; they never throw.
class BCFQTUI_EXPORT BcfQtUi : public QObject {
    Q_OBJECT

public:
    // The BCF version of an archive.
    enum class Version {
        Bcf20, // BCF 2.0: read as far as its files allow, never written
        Bcf21, // BCF 2.1
        Bcf30, // BCF 3.0
    };
    Q_ENUM(Version)

    // What the host's model view shows now: the camera, the components (selected, hidden, coloured),
    // the clipping planes and the image of the view. Called on the GUI thread when the user makes a
    // new snapshot; an exception it throws is shown to the user as a failed "New Snapshot".
    using ViewpointProvider = std::function<BcfViewpoint()>;

    // Embeds a new main window in the native window `host` and shows it; throws if that fails.
    explicit BcfQtUi(WId host);
    // Deletes the placeholder and with it the main window; emits nothing more.
    ~BcfQtUi() override;

    BcfQtUi(const BcfQtUi&) = delete;
    BcfQtUi& operator=(const BcfQtUi&) = delete;

    // The language of the views' texts and of the reports they write, for the whole application:
    // views made afterwards show it; a view that exists keeps the texts it shows and shows new ones
    // (messages, counts) in that language. German and English are built in, other languages show
    // English. Until a host calls this, views follow QLocale() as it is when the first view is made.
    static void setLanguage(const QLocale& language);

    // Sets the view's size in pixels and puts it at 0,0 of the host window.
    void resize(int width, int height);

    // Whether the view holds changes that no save has written yet; a host asks before destroying it.
    bool hasUnsavedChanges() const;
    // Runs the view's save command (save dialog, then the save); false when the user cancelled or
    // saving failed, in which case the view has shown why.
    bool save();

    // The widget inside the host window that holds the viewer (the placeholder): for grabbing its
    // image or checking its native window. The view owns it; a host never deletes or reparents it.
    QWidget* widget() const;

    // Opens the BCF archive (.bcf or .bcfzip, BCF 2.0, 2.1 or 3.0) at `path`, as the viewer's open
    // command does once a file is chosen: with unsaved changes it first asks whether to save them.
    // False when the user kept them or the archive could not be read (nothing changed then).
    bool open(const QString& path);
    // Saves the archive to `path` as `version` (Bcf21 or Bcf30) without a dialog; the file becomes
    // the current one and there are no unsaved changes. False when saving failed, leaving the file
    // at `path` as it was.
    bool saveAs(const QString& path, Version version);
    // Closes the archive as the viewer's close command does, asking about unsaved changes first;
    // false when the user kept them.
    bool close();
    // The path of the current archive file; empty for a new archive or none.
    QString currentFile() const;
    // The BCF version of the archive as it was opened or last saved (Bcf20 for a new one).
    Version currentVersion() const;

    // The GUIDs of the archive's topics, in the order of the archive.
    QStringList topicGuids() const;
    // The GUID of the topic selected in the view; empty when none is.
    QString selectedTopicGuid() const;
    // Selects the topic `guid` (compared without regard to case) as a click in the issue list
    // does; an empty GUID selects none. False when the archive has no such topic.
    bool selectTopic(const QString& guid);

    // Registers where "New Snapshot" takes its viewpoint from; an empty function restores the
    // viewer's placeholder snapshot. Replaces any provider registered before.
    void setViewpointProvider(ViewpointProvider provider);
    // Adds `viewpoint` with its snapshot (stored as PNG) to the selected topic, as one step the user
    // can undo. Its GUID is kept unless it is empty, not a GUID or already in the archive. False
    // when no topic is selected or the viewpoint can't be stored (shown in the view).
    bool addViewpoint(const BcfViewpoint& viewpoint);

signals:
    // Another topic is selected; `guid` is empty when none is.
    void selectedTopicChanged(const QString& guid);
    // The view now has, or no longer has, changes that no save has written.
    void unsavedChangesChanged(bool unsaved);
    // Another file is current: opened, saved under another name, or closed (empty `path`).
    void currentFileChanged(const QString& path);
    // The user selected a snapshot, double-clicked it or chose "Show in model": the host's model
    // view should show `viewpoint` (its camera, components and clipping planes; the snapshot image
    // shows what the view looked like).
    void viewpointActivated(const BcfViewpoint& viewpoint);
    // The user selected components in the viewer's components view: their IFC GUIDs, each once.
    void componentsSelected(const QStringList& ifcGuids);

private:
    std::unique_ptr<BcfQtUiPrivate> d;
};
