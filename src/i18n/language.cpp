#include "i18n/language.h"

#include "datetime/local_date_time.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include <optional>

namespace bcf {

namespace {

struct Installed {
    std::optional<QLocale> language;
    // Owned by the application, so they go with it; a later application gets new ones.
    QPointer<QTranslator> plurals, qt, own;
};

Installed& installed() {
    static Installed state;
    return state;
}

void remove(QPointer<QTranslator>& translator) {
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

// The catalogue `name`_<language>.qm of `folder`, tried for each of the language's UI languages
// ("de-DE", then "de"); null when there is none.
QTranslator* load(const QLocale& language, const QString& name, const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(language, name, QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator))
        return translator;
    delete translator;
    return nullptr;
}

// English by its first UI language: the user's LANGUAGE list comes before LANG in QLocale().
bool isEnglish(const QLocale& language) {
    const QStringList languages = language.uiLanguages();
    return language.language() == QLocale::C || languages.isEmpty() ||
           languages.first().startsWith(QLatin1String("en"));
}

} // namespace

void setLanguage(const QLocale& language) {
    Installed& state = installed();
    state.language = language;
    // Dates in the language's forms; English keeps the library's own.
    setDateLocale(isEnglish(language) ? std::nullopt : std::optional<QLocale>(language));
    if (QCoreApplication::instance() == nullptr)
        return; // installed with the first window
    remove(state.own);
    remove(state.qt);
    remove(state.plurals);
    // Installed last, searched first: the language's own texts, then Qt's, then the English plurals.
    const QString own = QStringLiteral(":/bcf/i18n");
    state.plurals = load(QLocale(QLocale::English), QStringLiteral("bcfqtui"), own);
    if (!isEnglish(language)) {
        state.qt =
            load(language, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        state.own = load(language, QStringLiteral("bcfqtui"), own);
    }
}

QLocale language() {
    return installed().language.value_or(QLocale());
}

void ensureLanguage() {
    if (!installed().plurals)
        setLanguage(language());
}

} // namespace bcf
