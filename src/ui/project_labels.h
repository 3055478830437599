// The labels over the issue list: "lProject" with the project's name and a "*" while there are
// unsaved changes, and "llink", the current archive's path linking to its folder.
#pragma once

#include <QObject>

class BcfSession;
class QLabel;

class ProjectLabels : public QObject {
    Q_OBJECT

public:
    ProjectLabels(QLabel* project, QLabel* link, BcfSession& session);

private:
    void showProject();

    QLabel* project_;
    QLabel* link_;
    BcfSession& session_;
};
