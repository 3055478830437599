#include "synthetic_archive.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>

namespace bcfbench {

namespace {

std::uint32_t crc32(const std::string& bytes, std::size_t from) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xffffffffu;
    for (std::size_t i = from; i < bytes.size(); ++i)
        c = table[(c ^ static_cast<unsigned char>(bytes[i])) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

std::uint32_t adler32(const std::string& bytes) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void putBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

void putLittleEndian16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
}

// Appends a PNG chunk: length, type, data and the CRC over type and data.
void putChunk(std::string& png, const char* type, const std::string& data) {
    putBigEndian32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t crcFrom = png.size();
    png.append(type, 4);
    png += data;
    putBigEndian32(png, crc32(png, crcFrom));
}

// A zlib stream of stored deflate blocks (at most 65535 bytes each).
std::string storedZlibStream(const std::string& raw) {
    std::string out;
    out.push_back(0x78);
    out.push_back(0x01);
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - offset, 0xffff);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 0x01 : 0x00);
        putLittleEndian16(out, static_cast<std::uint32_t>(length));
        putLittleEndian16(out, static_cast<std::uint32_t>(~length & 0xffff));
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    putBigEndian32(out, adler32(raw));
    return out;
}

// Deterministic GUID text in the 8-4-4-4-12 form, marked as a random (version 4) GUID.
std::string guidText(std::mt19937_64& engine) {
    const std::uint64_t high = (engine() & 0xffffffffffff0fffULL) | 0x4000ULL;
    const std::uint64_t low = (engine() & 0x3fffffffffffffffULL) | 0x8000000000000000ULL;
    char text[37];
    std::snprintf(text, sizeof text, "%08llx-%04llx-%04llx-%04llx-%012llx",
                  static_cast<unsigned long long>(high >> 32),
                  static_cast<unsigned long long>((high >> 16) & 0xffff),
                  static_cast<unsigned long long>(high & 0xffff), static_cast<unsigned long long>(low >> 48),
                  static_cast<unsigned long long>(low & 0xffffffffffffULL));
    return text;
}

// An IFC GlobalId: 22 characters of the IFC base-64 alphabet.
std::string ifcGuid(std::mt19937_64& engine) {
    static const char alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
    std::string text(22, '0');
    text[0] = alphabet[engine() % 4];
    for (std::size_t i = 1; i < text.size(); ++i)
        text[i] = alphabet[engine() % 64];
    return text;
}

std::string timestamp(int topic, int minute) {
    char text[32];
    std::snprintf(text, sizeof text, "2024-%02d-%02dT%02d:%02d:00+00:00", 1 + topic % 12, 1 + topic % 28,
                  8 + topic % 10, minute % 60);
    return text;
}

} // namespace

std::string makeIncompressiblePng(std::uint64_t seed, std::size_t minBytes) {
    constexpr std::uint32_t width = 96;
    constexpr std::size_t rowBytes = 1 + 3 * width; // filter byte, then RGB pixels
    const std::uint32_t height = static_cast<std::uint32_t>((minBytes + rowBytes - 1) / rowBytes);

    std::mt19937_64 engine(seed);
    std::string scanlines(rowBytes * height, '\0');
    for (std::size_t row = 0; row < height; ++row) {
        scanlines[row * rowBytes] = 0; // filter "None"
        for (std::size_t i = 1; i < rowBytes; ++i)
            scanlines[row * rowBytes + i] = static_cast<char>(engine() & 0xff);
    }

    std::string header;
    putBigEndian32(header, width);
    putBigEndian32(header, height);
    header += std::string{8, 2, 0, 0, 0}; // 8 bits, RGB, deflate, adaptive filtering, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlibStream(scanlines));
    putChunk(png, "IEND", {});
    return png;
}

bcf::BcfData makeSyntheticModel(int topics, std::size_t snapshotBytes) {
    std::mt19937_64 engine(20240115);
    bcf::BcfData data;
    data.version = bcf::BcfVersion::V3_0;
    data.projectId = guidText(engine);
    data.name = "Synthetic benchmark project";
    data.extensionSchema = "extensions.xsd";
    data.topicTypes = {"Issue", "Request", "Clash", "Remark"};
    data.topicStatuses = {"Open", "In Progress", "Resolved", "Closed"};
    data.topicLabels = {"Architecture", "Structure", "MEP"};
    data.priorities = {"Low", "Normal", "High", "Critical"};
    data.users = {"alice@example.com", "bob@example.com", "carol@example.com"};
    data.stages = {"Design", "Construction"};
    data.markups.reserve(static_cast<std::size_t>(topics));

    for (int t = 0; t < topics; ++t) {
        bcf::Markup markup;
        bcf::Topic& topic = markup.topic;
        topic.guid = guidText(engine);
        topic.topicType = data.topicTypes[static_cast<std::size_t>(t) % data.topicTypes.size()];
        topic.topicStatus = data.topicStatuses[static_cast<std::size_t>(t) % data.topicStatuses.size()];
        topic.title =
            "Topic " + std::to_string(t + 1) + ": duct clashes with beam on level " + std::to_string(t % 9);
        topic.priority = data.priorities[static_cast<std::size_t>(t) % data.priorities.size()];
        topic.creationDate = timestamp(t, 0);
        topic.creationAuthor = data.users[static_cast<std::size_t>(t) % data.users.size()];
        topic.modifiedDate = timestamp(t, 30);
        topic.modifiedAuthor = data.users[static_cast<std::size_t>(t + 1) % data.users.size()];
        topic.assignedTo = data.users[static_cast<std::size_t>(t + 2) % data.users.size()];
        topic.stage = data.stages[static_cast<std::size_t>(t) % data.stages.size()];
        topic.description = "The supply air duct on grid line C/4 runs through the web of the steel beam. "
                            "Please check the routing and the opening in the beam & report back <soon>.";

        for (int c = 0; c < 3; ++c) {
            bcf::Comment comment;
            comment.guid = guidText(engine);
            comment.date = timestamp(t, 5 + c);
            comment.author = data.users[static_cast<std::size_t>(t + c) % data.users.size()];
            comment.comment = "Comment " + std::to_string(c + 1) +
                              ": checked on site, the clearance is below 50 mm; proposing to lower the duct.";
            if (c == 2) {
                comment.modifiedDate = timestamp(t, 40);
                comment.modifiedAuthor = comment.author;
            }
            markup.comments.push_back(std::move(comment));
        }

        bcf::ViewPoint viewPoint;
        viewPoint.guid = guidText(engine);
        viewPoint.viewpoint = "Viewpoint_" + viewPoint.guid + ".bcfv";
        viewPoint.snapshot = "Snapshot_" + viewPoint.guid + ".png";
        viewPoint.snapshotData = makeIncompressiblePng(engine(), snapshotBytes);
        viewPoint.snapshotLoaded = 1;
        bcf::VisualizationInfo& info = viewPoint.visualizationInfo;
        info.guid = viewPoint.guid;
        for (int k = 0; k < 4; ++k)
            info.selection.push_back(
                {ifcGuid(engine), "Authoring Tool 2024", "element-" + std::to_string(t * 4 + k)});
        info.cameraViewPoint = {12.5 + t * 0.1, -3.25, 1.75};
        info.cameraDirection = {-0.57735026918962584, 0.57735026918962584, -0.57735026918962584};
        info.cameraUpVector = {0, 0, 1};
        info.aspectRatio = 1.7777777777777777;
        info.fieldOfView = 60;
        viewPoint.visualizationLoaded = 1;
        markup.viewPoints.push_back(std::move(viewPoint));

        data.markups.push_back(std::move(markup));
    }
    return data;
}

bcf::BcfData makeComponentsModel(std::size_t components) {
    bcf::BcfData data = makeSyntheticModel(1, 1024);
    std::mt19937_64 engine(20240116);
    std::vector<bcf::Component>& selection = data.markups[0].viewPoints[0].visualizationInfo.selection;
    selection.clear();
    selection.reserve(components);
    for (std::size_t k = 0; k < components; ++k)
        selection.push_back({ifcGuid(engine), "Authoring Tool 2024", "element-" + std::to_string(k)});
    return data;
}

} // namespace bcfbench
