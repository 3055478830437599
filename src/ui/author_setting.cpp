#include "ui/author_setting.h"

#include <QSettings>

#if defined(Q_OS_UNIX)
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

namespace {

constexpr char kAuthorKey[] = "author";

// The viewer's own settings, the same whichever host application embeds it.
QSettings viewerSettings() {
    return QSettings(QSettings::UserScope, QStringLiteral("BcfQtUi"), QStringLiteral("BcfQtUi"));
}

} // namespace

QString loginName() {
#if defined(Q_OS_UNIX)
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
#endif
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return {};
}

QString authorName() {
    const QString name = viewerSettings().value(QString::fromLatin1(kAuthorKey)).toString().trimmed();
    return name.isEmpty() ? loginName() : name;
}

void setAuthorName(const QString& name) {
    QSettings settings = viewerSettings();
    if (name.trimmed().isEmpty())
        settings.remove(QString::fromLatin1(kAuthorKey));
    else
        settings.setValue(QString::fromLatin1(kAuthorKey), name.trimmed());
}
