// Random (version 4) GUID texts for records the codec has to name.
#pragma once

#include "codec/model.h"

#include <string>

namespace bcf {

// A GUID text as a file of `version` carries it: 3.0 allows lower-case hexadecimal digits only,
// so every GUID written as 3.0 (ids, references to them, topic folder names) is lower-cased;
// other versions keep the text as it is.
std::string normalizedGuid(const std::string& guid, BcfVersion version);

// A new GUID as 36 lower-case characters, 8-4-4-4-12 hexadecimal digits joined by "-".
std::string generateGuid();

} // namespace bcf
