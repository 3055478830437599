// The save dialog's file type filters and the BCF version each of them writes.
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

class QString;

// The filters offered by the save dialog, the first preselected.
QString saveFilters();

// The version a save writes when the user left `selectedFilter` selected: BCF 2.1 or 3.0 for their
// own filters, the loaded version `loadedVersion` for every other filter, and 3.0 for a model that
// was never loaded (its version is still 2.0, which has no writing).
bcf::BcfVersion saveVersionForFilter(const QString& selectedFilter, bcf::BcfVersion loadedVersion);

// The message that lists what a save could not carry, one line per note ("2 snapshot images ...").
QString saveNotesText(const bcf::SaveNotes& notes);
// `heading` followed by the notes, one line each; empty when there are none.
QString notesList(const QString& heading, const bcf::SaveNotes& notes);
