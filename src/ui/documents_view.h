// The archive's documents: "twDocuments" with its count in the second tab of "tabWidget",
// "pbNewDocument" (a local file taken into the archive) and the "Delete document" action.
#pragma once

#include <QObject>

class BcfSession;
class WindowMessages;

namespace Ui {
class MainWindow;
}

class DocumentsView : public QObject {
    Q_OBJECT

public:
    DocumentsView(Ui::MainWindow& ui, BcfSession& session, WindowMessages& messages);
    ~DocumentsView() override;

private:
    void show();
    void documentAdded(int document);
    void newDocument();
    void deleteDocument();

    Ui::MainWindow& ui_;
    BcfSession& session_;
    WindowMessages& messages_;
};
