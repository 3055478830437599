#include "validate/schema_set_p.h"

#include "codec/bcf_error.h"
#include "codec/version.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <array>
#include <cstring>

namespace bcf {

namespace {

struct SchemaFile {
    SchemaKind kind;
    const char* name;
};

// 2.1's own extensions.xsd is a sample for archives to copy, not a schema of a file: a 2.1
// archive's extension schema is itself an XSD, and 2.1 has no documents.xml.
constexpr std::array<SchemaFile, 4> kSchemas21 = {{{SchemaKind::Version, "version.xsd"},
                                                   {SchemaKind::Project, "project.xsd"},
                                                   {SchemaKind::Markup, "markup.xsd"},
                                                   {SchemaKind::Visinfo, "visinfo.xsd"}}};
constexpr std::array<SchemaFile, 6> kSchemas30 = {{{SchemaKind::Version, "version.xsd"},
                                                   {SchemaKind::Project, "project.xsd"},
                                                   {SchemaKind::Extensions, "extensions.xsd"},
                                                   {SchemaKind::Documents, "documents.xsd"},
                                                   {SchemaKind::Markup, "markup.xsd"},
                                                   {SchemaKind::Visinfo, "visinfo.xsd"}}};

// The options xmllint uses with --nonet: no network, line numbers beyond 65535. Entities stay
// references, as they do there.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_BIG_LINES | XML_PARSE_COMPACT;

struct SchemaDeleter {
    void operator()(xmlSchemaPtr schema) const { xmlSchemaFree(schema); }
};
struct DocDeleter {
    void operator()(xmlDocPtr document) const { xmlFreeDoc(document); }
};
struct ValidCtxtDeleter {
    void operator()(xmlSchemaValidCtxtPtr context) const { xmlSchemaFreeValidCtxt(context); }
};
struct ParserCtxtDeleter {
    void operator()(xmlSchemaParserCtxtPtr context) const { xmlSchemaFreeParserCtxt(context); }
};

// Where libxml2's messages of one check go.
struct Collector {
    const std::string* entry = nullptr;
    const std::string* text = nullptr;
    std::vector<ValidationFinding>* findings = nullptr; // none while a schema is loaded
    bool malformed = false;
    std::string schemaProblem;
};

// libxml2 gives no column for validity errors: it is the column of the start tag (or attribute)
// the error names on the reported line, when that line shows it.
int columnOf(const std::string& text, int line, const xmlNode* node) {
    if (!node || !node->name || line <= 0)
        return 0;
    std::size_t start = 0;
    for (int current = 1; current < line; ++current) {
        start = text.find('\n', start);
        if (start == std::string::npos)
            return 0;
        ++start;
    }
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string name = reinterpret_cast<const char*>(node->name);
    if (node->ns && node->ns->prefix)
        name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
    const std::string wanted = node->type == XML_ATTRIBUTE_NODE ? name + "=" : "<" + name;
    const std::size_t at = text.find(wanted, start);
    if (at == std::string::npos || at >= end)
        return 0;
    return static_cast<int>(at - start) + 1;
}

void collect(void* data, xmlErrorPtr error) {
    auto& collector = *static_cast<Collector*>(data);
    // Warnings make no file invalid; xmllint does not fail on them either.
    if (!error || error->level < XML_ERR_ERROR)
        return;
    std::string message = error->message ? error->message : "unknown error";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (!collector.findings) {
        if (collector.schemaProblem.empty())
            collector.schemaProblem = message;
        return;
    }
    const bool validity = error->domain == XML_FROM_SCHEMASV;
    if (!validity)
        collector.malformed = true;
    ValidationFinding finding;
    finding.entry = *collector.entry;
    finding.line = error->line;
    finding.column = validity
                         ? columnOf(*collector.text, error->line, static_cast<const xmlNode*>(error->node))
                         : error->int2;
    finding.rule = validity ? ValidationRule::Schema : ValidationRule::WellFormed;
    finding.message = std::move(message);
    collector.findings->push_back(std::move(finding));
}

// Routes libxml2's messages of this thread to `collector` while alive.
class ErrorRoute {
public:
    explicit ErrorRoute(Collector& collector)
        : previous_(xmlStructuredError), previousData_(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(&collector, collect);
    }
    ~ErrorRoute() { xmlSetStructuredErrorFunc(previousData_, previous_); }
    ErrorRoute(const ErrorRoute&) = delete;
    ErrorRoute& operator=(const ErrorRoute&) = delete;

private:
    xmlStructuredErrorFunc previous_;
    void* previousData_;
};

} // namespace

struct SchemaSet::Impl {
    std::vector<std::pair<SchemaKind, std::unique_ptr<xmlSchema, SchemaDeleter>>> schemas;

    xmlSchemaPtr schemaFor(SchemaKind kind) const {
        for (const auto& [schemaKind, schema] : schemas)
            if (schemaKind == kind)
                return schema.get();
        return nullptr;
    }
};

SchemaSet::SchemaSet() : d(std::make_unique<Impl>()) {
    xmlInitParser();
}

SchemaSet::SchemaSet(const std::string& directory, BcfVersion version) : d(std::make_unique<Impl>()) {
    xmlInitParser();
    const std::string folder = directory + "/" + versionText(version) + "/";
    auto load = [&](const SchemaFile& file) {
        const std::string path = folder + file.name;
        Collector collector;
        const ErrorRoute route(collector);
        const std::unique_ptr<xmlSchemaParserCtxt, ParserCtxtDeleter> context(
            xmlSchemaNewParserCtxt(path.c_str()));
        if (!context)
            throw BcfError("schemas missing", path);
        xmlSchemaSetParserStructuredErrors(context.get(), collect, &collector);
        std::unique_ptr<xmlSchema, SchemaDeleter> schema(xmlSchemaParse(context.get()));
        if (!schema)
            throw BcfError("schemas missing", path, collector.schemaProblem);
        d->schemas.emplace_back(file.kind, std::move(schema));
    };
    if (version == BcfVersion::V3_0)
        for (const SchemaFile& file : kSchemas30)
            load(file);
    else
        for (const SchemaFile& file : kSchemas21)
            load(file);
}

SchemaSet::~SchemaSet() = default;

bool SchemaSet::check(const std::string& entry, const std::string& bytes, SchemaKind kind,
                      std::vector<ValidationFinding>& findings) const {
    Collector collector;
    collector.entry = &entry;
    collector.text = &bytes;
    collector.findings = &findings;
    const ErrorRoute route(collector);
    const std::unique_ptr<xmlDoc, DocDeleter> document(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), entry.c_str(), nullptr, kParseOptions));
    if (!document || collector.malformed)
        return false;
    if (xmlSchemaPtr schema = d->schemaFor(kind)) {
        const std::unique_ptr<xmlSchemaValidCtxt, ValidCtxtDeleter> context(xmlSchemaNewValidCtxt(schema));
        xmlSchemaSetValidStructuredErrors(context.get(), collect, &collector);
        xmlSchemaValidateDoc(context.get(), document.get());
    }
    return true;
}

std::pair<int, int> textPosition(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = text.find('\n'); i != std::string::npos && i < offset; i = text.find('\n', i + 1)) {
        ++line;
        lineStart = i + 1;
    }
    return {line, static_cast<int>(offset - lineStart) + 1};
}

} // namespace bcf
