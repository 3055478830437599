// The rules a BCF archive must keep that no schema of a single file can express: topic folders
// named after their topics, GUIDs used once, referenced files present, references resolvable,
// and values from the extension lists.
#pragma once

#include "validate/schema_set_p.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace bcf {

class ArchiveRules {
public:
    // `lists` holds the archive's version and extension lists; `extensionsEntry` names the file
    // they come from, for the messages.
    ArchiveRules(const ZipArchive& archive, const BcfData& lists, std::string extensionsEntry);

    // Checks one well-formed entry of the archive in the role `kind`.
    void check(const std::string& entry, const std::string& bytes, SchemaKind kind);
    // Appends the findings, with those that needed every entry first (related topics, documents).
    void finish(std::vector<ValidationFinding>& findings);

private:
    struct Reference {
        ValidationFinding at; // where it is; rule and message are filled in when it fails
        std::string guid;
    };

    void checkMarkup(const pugi::xml_document& document);
    void checkVisualization(const pugi::xml_document& document);
    void checkDocuments(const pugi::xml_document& document);
    void checkValue(pugi::xml_node at, const char* field, const std::string& value,
                    const std::vector<std::string>& list);
    void requireFile(pugi::xml_node reference, const char* what);
    void requireUnique(const char* kind, pugi::xml_node at, const std::string& guid);
    ValidationFinding locate(pugi::xml_node node) const;
    void add(pugi::xml_node at, ValidationRule rule, std::string message);

    const ZipArchive& archive_;
    const BcfData& lists_;
    std::string extensionsEntry_;
    bool v3_;
    std::vector<ValidationFinding> findings_;
    std::map<std::string, std::map<std::string, std::string>> guids_; // kind -> GUID -> entry
    std::set<std::string> topics_;
    std::set<std::string> documents_;
    std::vector<Reference> relatedTopics_;
    std::vector<Reference> documentReferences_;
    const std::string* entry_ = nullptr;
    const std::string* bytes_ = nullptr;
    std::string folder_; // of the entry being checked, with its trailing separator
};

} // namespace bcf
