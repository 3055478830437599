#include "ui/save_command.h"

#include "datetime/local_date_time.h"

#include <QCoreApplication>
#include <QString>

namespace {

constexpr char kFilterBcf21[] = "BCF 2.1 (*.bcf *.bcfzip)";
constexpr char kFilterBcf30[] = "BCF 3.0 (*.bcf *.bcfzip)";

} // namespace

QString saveFilters() {
    // The version filters name the format alone: the same in every language.
    return QCoreApplication::translate("SaveCommand", "BCF Files (*.bcf *.bcfzip)") + QStringLiteral(";;") +
           QString::fromUtf8(kFilterBcf21) + QStringLiteral(";;") + QString::fromUtf8(kFilterBcf30) +
           QStringLiteral(";;") + QCoreApplication::translate("SaveCommand", "All files (*.*)");
}

bcf::BcfVersion saveVersionForFilter(const QString& selectedFilter, bcf::BcfVersion loadedVersion) {
    if (selectedFilter == QString::fromUtf8(kFilterBcf21))
        return bcf::BcfVersion::V2_1;
    if (selectedFilter == QString::fromUtf8(kFilterBcf30))
        return bcf::BcfVersion::V3_0;
    return loadedVersion == bcf::BcfVersion::V2_0 ? bcf::BcfVersion::V3_0 : loadedVersion;
}

QString saveNotesText(const bcf::SaveNotes& notes) {
    return notesList(QCoreApplication::translate(
                         "SaveCommand", "The archive was saved, but not everything could be carried:"),
                     notes);
}

QString notesList(const QString& heading, const bcf::SaveNotes& notes) {
    if (notes.all().empty())
        return {};
    QString text = heading;
    for (const bcf::SaveNote& note : notes.all())
        text += QStringLiteral("\n- ") + bcf::localCount(static_cast<qint64>(note.count)) + QLatin1Char(' ') +
                QString::fromStdString(note.text);
    return text;
}
