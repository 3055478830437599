// Stored date-times (read by codec/date_time.h) as the window and the reports show and sort them:
// in local time, by the moment they name.
#pragma once

#include "codec/date_time.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace bcf {

// The moment in local time: converted from its offset, or the wall-clock time as written taken as
// local. A date alone is its local midnight.
QDateTime localDateTime(const DateTime& value);

// Milliseconds since 1970-01-01 UTC of that moment: the order lists sort dates in.
qint64 sortKey(const DateTime& value);

// The forms dates are shown in, in English; another language set by setDateLocale() shows both
// in its own short numeric form with a four-digit year ("07/03/2024, 10:05" in French).
enum class DateTimeStyle {
    Window, // "07.03.2024, 10:05"; "07.03.2024" for a date alone
    Report, // "2024-03-07 10:05"; "2024-03-07" for a date alone
};

// The locale whose forms formatDateTime() uses from now on; none for the English forms above,
// which it uses until this is called. Called from the GUI thread while nothing formats dates.
void setDateLocale(const std::optional<QLocale>& locale);

// A count as the language set by setDateLocale() groups its digits ("2.000" in German); in the
// English forms "2,000".
QString localCount(qint64 count);

// `text`, which holds `count` in plain digits (as tr() writes %n), with the first of them as
// localCount() writes it.
QString withLocalCount(QString text, qint64 count);

// `text` as `style` shows it: a time with an offset in local time, one without as written. A text
// that is no date is shown as it stands.
QString formatDateTime(std::string_view text, DateTimeStyle style = DateTimeStyle::Window);

// `time` as new records store it: its wall-clock time in whole seconds and its offset from UTC
// in whole minutes, 2024-03-07T09:05:41.000+01:00.
std::string storedDateTimeText(const QDateTime& time);

} // namespace bcf
