#include "codec/guid.h"

#include <cstdio>
#include <random>

namespace bcf {

std::string normalizedGuid(const std::string& guid, BcfVersion version) {
    if (version != BcfVersion::V3_0)
        return guid;
    std::string lower = guid;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string generateGuid() {
    static std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<unsigned> byte(0, 255);
    unsigned char b[16];
    for (unsigned char& value : b)
        value = static_cast<unsigned char>(byte(engine));
    b[6] = static_cast<unsigned char>((b[6] & 0x0f) | 0x40); // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3f) | 0x80); // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

} // namespace bcf
