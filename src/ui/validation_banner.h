// A banner at the top of the window when the archive file just opened or saved breaks the official
// schemas or the archive rules ("3 problems in this archive — Details"), with the findings listed
// in a dialog. The check reads the file on a worker thread, so the window never waits for it.
#pragma once

#include "validate/validation.h"

#include <QFrame>
#include <QPointer>
#include <QThreadPool>

class BcfSession;
class QDialog;
class QLabel;

class ValidationBanner : public QFrame {
    Q_OBJECT

public:
    // Hidden until a check of the session's file finds problems.
    ValidationBanner(QWidget* parent, BcfSession& session);
    ~ValidationBanner() override;

    // The findings of the last finished check of the current file.
    const bcf::ValidationReport& report() const { return report_; }

signals:
    // A check of the current file finished (with or without findings).
    void checked();

private:
    void check();
    void present(quint64 run, const bcf::ValidationReport& report);
    void showDetails();

    BcfSession& session_;
    QLabel* text_;
    bcf::ValidationReport report_;
    // Counts the checks started; a result that arrives after another check started is stale.
    quint64 run_ = 0;
    QPointer<QDialog> details_;
    // One check at a time; the pool's destructor waits for a running one.
    QThreadPool pool_;
};
