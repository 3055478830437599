// Before a save: every id the schemas type as a GUID made one, in the model, so that the file
// validates and the next save writes the same ids.
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

namespace bcf {

// Gives every topic, comment, viewpoint and document reference whose GUID is missing or is no
// GUID text a fresh one, and makes what refers to a replaced GUID follow it: related topics, a
// comment's viewpoint. A reference to a GUID that is no GUID and names nothing the topic holds is
// dropped. A document reference of `version` 2.1 may have no GUID. Each kind of change is noted
// once with its count.
void repairGuids(BcfData& data, BcfVersion version, SaveNotes& notes);

} // namespace bcf
