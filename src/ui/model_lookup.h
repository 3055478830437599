// Finding records of a model by the GUIDs and names other records refer to them by.
#pragma once

#include "codec/model.h"

#include <string>

// The index of the markup whose topic has `guid` (compared without regard to case), or -1.
int findTopic(const bcf::BcfData& data, const std::string& guid);

// The index in `markup.viewPoints` of the viewpoint with `guid` (without regard to case), or -1.
int viewPointIndex(const bcf::Markup& markup, const std::string& guid);

// The document of `data` an internal reference of `markup` points to, or null.
const bcf::DocumentInfo* referencedDocument(const bcf::BcfData& data, const bcf::Markup& markup,
                                            const bcf::DocumentReference& reference);
