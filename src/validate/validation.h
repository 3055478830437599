// Validation of a BCF archive: every XML entry against the official schema of the archive's
// version, and the archive rules no schema can express (folders, GUIDs, references).
#pragma once

#include "codec/model.h"

#include <string>
#include <vector>

namespace bcf {

class ZipArchive;

// What a finding breaks.
enum class ValidationRule {
    WellFormed,       // the entry is no well-formed XML
    Schema,           // the entry does not validate against its official schema
    UnreadableEntry,  // the entry can't be extracted (damaged, too large, or its name used twice)
    TopicFolder,      // a markup does not lie in a folder named after its topic's GUID
    UniqueGuid,       // a topic, comment, viewpoint, document or document reference GUID is used twice
    MissingFile,      // a viewpoint, snapshot, bitmap, document or snippet file is not in the archive
    CommentViewpoint, // a comment refers to a viewpoint its topic does not have
    RelatedTopic,     // a related topic is not in the archive
    ExtensionValue,   // a value is missing from the non-empty list of the extensions file
};

// The stable name of a rule, as printed and as machines read it ("schema", "missing-file", ...).
const char* ruleName(ValidationRule rule);

// One problem: where it is (line and column from 1; 0 when unknown) and what it is.
struct ValidationFinding {
    std::string entry;
    int line = 0;
    int column = 0;
    ValidationRule rule = ValidationRule::Schema;
    std::string message;
    bool operator==(const ValidationFinding&) const = default;
};

// The findings of one archive, in the order of its entries, then of lines and columns.
struct ValidationReport {
    BcfVersion version = BcfVersion::V2_1;
    std::vector<ValidationFinding> findings;
    bool valid() const { return findings.empty(); }
};

// Validates the archive held in `archive` against the schemas in `schemaDirectory` (which holds
// the folders "2.1" and "3.0"). Throws BcfError when the archive can't be validated at all: no
// bcf.version, a version without official schemas, or schemas that can't be loaded.
ValidationReport validateArchive(const ZipArchive& archive, const std::string& schemaDirectory);

// The same for the archive file at `path`; also throws BcfError when it can't be read as a ZIP file.
ValidationReport validateArchive(const std::string& path, const std::string& schemaDirectory);

// The folder of the official schemas that ship with this program: beside the installed binary, or
// in the source tree for a binary that runs from its build tree. Empty when there is none.
std::string findSchemaDirectory();

} // namespace bcf
