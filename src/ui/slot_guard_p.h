// Runs the body of a main window slot so that no exception reaches Qt's event loop.
#pragma once

#include "codec/bcf_error.h"
#include "ui/mainwindow_p.h"

#include <QString>

#include <exception>
#include <stdexcept>

// The archive file or entry an error concerns when the error names one, else `fallback`.
inline QString errorSubject(const std::exception& error, const QString& fallback) {
    if (const auto* bcfError = dynamic_cast<const bcf::BcfError*>(&error)) {
        if (!bcfError->subject().empty())
            return QString::fromUtf8(bcfError->subject());
    }
    return fallback;
}

// Runs `body`; a failure is shown to the user as "`action` failed" on its subject.
template <typename Body>
void runGuarded(MainWindowPrivate& d, const QString& action, const QString& subject, Body&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        d.reportError(action, errorSubject(error, subject), error);
    } catch (...) {
        d.reportError(action, subject, std::runtime_error("unknown error"));
    }
}
