// The name with which the window signs new records and edits, kept with QSettings.
#pragma once

#include <QString>

// The author name the user set, or the login name of the system user while none is set.
QString authorName();

// Keeps `name` as the author name; a blank name removes the setting, so the login name holds again.
void setAuthorName(const QString& name);

// The login name of the system user; empty when the system names none.
QString loginName();
