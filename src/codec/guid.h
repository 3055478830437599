// Random (version 4) GUID texts for records the codec has to name.
#pragma once

#include <string>

namespace bcf {

// A new GUID as 36 lower-case characters, 8-4-4-4-12 hexadecimal digits joined by "-".
std::string generateGuid();

} // namespace bcf
