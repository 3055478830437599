#include "ui/window_messages.h"

#include "codec/bcf_error.h"

#include <QPushButton>

void WindowMessages::reportError(const QString& action, const QString& subject, const std::exception& error) {
    try {
        QString text =
            subject.isEmpty() ? tr("%1 failed").arg(action) : tr("%1 failed: %2").arg(action, subject);
        text += QStringLiteral("\n\n") + QString::fromUtf8(error.what());
        showMessage(QMessageBox::Warning, text, QStringLiteral("bcfErrorMessage"));
    } catch (...) {
        // Reporting must never throw out of a slot; there is nothing left to tell the user with.
    }
}

void WindowMessages::showMessage(QMessageBox::Icon icon, const QString& text, const QString& objectName) {
    // Window-modal and opened without a nested event loop: the slot that shows it returns at once.
    auto* box = new QMessageBox(icon, tr("BCF"), text, QMessageBox::Ok, window_);
    box->setObjectName(objectName);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

bool WindowMessages::confirmDelete(const QString& question) {
    QMessageBox box(QMessageBox::Question, tr("BCF"), question, QMessageBox::NoButton, window_);
    box.setObjectName(QStringLiteral("bcfConfirmDelete"));
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(tr("Delete"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == yes;
}

QString WindowMessages::errorSubject(const std::exception& error, const QString& fallback) {
    if (const auto* bcfError = dynamic_cast<const bcf::BcfError*>(&error)) {
        if (!bcfError->subject().empty())
            return QString::fromUtf8(bcfError->subject());
    }
    return fallback;
}
