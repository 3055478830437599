// The save dialog's file type filters and the BCF version each of them writes.
#pragma once

#include "codec/model.h"

class QString;

// The filters offered by the save dialog, the first preselected.
QString saveFilters();

// The version a save writes when the user left `selectedFilter` selected: BCF 2.1 or 3.0 for their
// own filters, the loaded version `loadedVersion` for every other filter.
bcf::BcfVersion saveVersionForFilter(const QString& selectedFilter, bcf::BcfVersion loadedVersion);
