// bcf-host: a Qt Widgets desktop application that embeds the BCF viewer in its own window.
#include "bcfqtui.h"
#include "host_window.h"
#include "viewer_driver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bcf-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Embeds the BCF issue viewer in a host window."));
    parser.addHelpOption();
    const QCommandLineOption openOption(
        QStringLiteral("open"), QStringLiteral("Opens ARCHIVE in the viewer."), QStringLiteral("ARCHIVE"));
    const QCommandLineOption selectOption(QStringLiteral("select-first"),
                                          QStringLiteral("Selects the first issue and its first snapshot."));
    const QCommandLineOption newSnapshotOption(
        QStringLiteral("new-snapshot"),
        QStringLiteral("Sets up the model view, makes a new snapshot of it in the viewer and selects it."));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"), QStringLiteral("Saves the host window to FILE (PNG), then quits."),
        QStringLiteral("FILE"));
    const QCommandLineOption languageOption(
        QStringLiteral("lang"), QStringLiteral("Shows the host and the viewer in LANGUAGE (de, en, ...)."),
        QStringLiteral("LANGUAGE"));
    parser.addOptions({openOption, selectOption, newSnapshotOption, screenshotOption, languageOption});
    parser.process(app);

    // The host's texts and the viewer's in one language: the one asked for, else the user's.
    const QLocale language = parser.isSet(languageOption) ? QLocale(parser.value(languageOption)) : QLocale();
    BcfQtUi::setLanguage(language);
    QTranslator hostTexts;
    if (hostTexts.load(language, QStringLiteral("bcfhost"), QStringLiteral("_"),
                       QStringLiteral(":/bcf-host/i18n")))
        QApplication::installTranslator(&hostTexts);

    HostWindow window;
    window.show();

    DriverOptions options;
    options.archive = parser.value(openOption);
    options.selectFirst = parser.isSet(selectOption);
    options.newSnapshot = parser.isSet(newSnapshotOption);
    options.screenshot = parser.value(screenshotOption);
    ViewerDriver driver(window, options);
    QTimer::singleShot(0, &driver, &ViewerDriver::start);
    return QApplication::exec();
}
