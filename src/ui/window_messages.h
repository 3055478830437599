// What the main window tells and asks its user: failures, notes and confirmations, each in a
// message box over the window.
#pragma once

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>

#include <exception>
#include <stdexcept>

class QWidget;

class WindowMessages {
    Q_DECLARE_TR_FUNCTIONS(WindowMessages)

public:
    explicit WindowMessages(QWidget* window) : window_(window) {}

    // Tells, in a window-modal message box, that `action` failed on `subject`, and why.
    void reportError(const QString& action, const QString& subject, const std::exception& error);
    // Shows `text` in a window-modal message box named `objectName`, without a nested event loop.
    void showMessage(QMessageBox::Icon icon, const QString& text, const QString& objectName);
    // Asks `question` with "Delete" and "Cancel"; true when the user chose "Delete".
    bool confirmDelete(const QString& question);

    // Runs `body`, the work of a command; a failure is shown as "`action` failed" on its subject, so
    // that no exception reaches Qt's event loop.
    template <typename Body> void run(const QString& action, const QString& subject, Body&& body) {
        try {
            body();
        } catch (const std::exception& error) {
            reportError(action, errorSubject(error, subject), error);
        } catch (...) {
            reportError(action, subject, std::runtime_error(tr("unknown error").toStdString()));
        }
    }

    QWidget* window() const { return window_; }

private:
    // The archive file or entry an error concerns when the error names one, else `fallback`.
    static QString errorSubject(const std::exception& error, const QString& fallback);

    QWidget* window_;
};
