// The official schemas of one BCF version, loaded through libxml2, against which XML entries are
// checked. The only code that knows libxml2.
#pragma once

#include "validate/validation.h"

#include <memory>
#include <string>
#include <vector>

namespace bcf {

// The schema an entry is checked against: by its role in the archive.
enum class SchemaKind { None, Version, Project, Extensions, Documents, Markup, Visinfo };

class SchemaSet {
public:
    // No schemas: checks well-formedness only.
    SchemaSet();
    // Loads the schemas of `version` from `directory`/2.1 or `directory`/3.0. Throws BcfError
    // ("schemas missing", file) when one can't be loaded.
    SchemaSet(const std::string& directory, BcfVersion version);
    ~SchemaSet();
    SchemaSet(const SchemaSet&) = delete;
    SchemaSet& operator=(const SchemaSet&) = delete;

    // Parses `bytes` of entry `entry` as xmllint --nonet does and validates the tree against the
    // schema of `kind` (None: well-formedness only), appending what libxml2 reports as errors.
    // Returns false when the entry is no well-formed XML.
    bool check(const std::string& entry, const std::string& bytes, SchemaKind kind,
               std::vector<ValidationFinding>& findings) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Line and column (from 1) of the byte at `offset` of `text`.
std::pair<int, int> textPosition(const std::string& text, std::size_t offset);

} // namespace bcf
