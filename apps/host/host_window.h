// The host application's main window: its own model view beside a native window that embeds one
// BcfQtUi view.
#pragma once

#include <QMainWindow>

#include <memory>

class BcfQtUi;
class QAction;
class ModelView;

// The central widget: a native child window whose handle is handed to BcfQtUi and whose size
// changes are passed on to it.
class EmbedArea final : public QWidget {
public:
    explicit EmbedArea(QWidget* parent = nullptr);
    ~EmbedArea() override;

    // Embeds the viewer in this widget's native window.
    void embedViewer();
    // Deletes the embedded viewer; does nothing when there is none.
    void releaseViewer();
    // The embedded viewer, or null.
    BcfQtUi* viewer() const { return viewer_.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<BcfQtUi> viewer_;
};

class HostWindow final : public QMainWindow {
    Q_OBJECT

public:
    HostWindow();
    ~HostWindow() override;

    // The embedded viewer, or null after the window was closed.
    BcfQtUi* viewer() const;
    // The native widget the viewer lives in.
    EmbedArea* embedArea() const { return area; }
    // The host's own view of its building model.
    ModelView* modelView() const { return model; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Connects the viewer and the model view through the viewer's host API.
    void connectViewer(BcfQtUi* view);
    void openArchive();
    void addViewToIssue();
    // The window title: the archive's file name, with "*" while it has unsaved changes.
    void updateTitle();

    ModelView* model;
    EmbedArea* area;
    QAction* addView = nullptr;
};
