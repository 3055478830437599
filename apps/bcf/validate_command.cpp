#include "validate_command.h"

#include "archive_failure.h"
#include "codec/version.h"
#include "json_writer.h"
#include "validate/validation.h"

#include <iostream>

namespace bcf::cli {

namespace {

void writeJson(const std::string& archive, const ValidationReport& report) {
    JsonWriter json(std::cout);
    json.beginObject();
    json.key("archive").value(archive);
    json.key("version").value(std::string(versionText(report.version)));
    json.key("valid").boolean(report.valid());
    json.key("findings").beginArray();
    for (const ValidationFinding& finding : report.findings) {
        json.beginObject();
        json.key("entry").value(finding.entry);
        json.key("line").value(static_cast<std::uint64_t>(finding.line));
        json.key("column").value(static_cast<std::uint64_t>(finding.column));
        json.key("rule").value(std::string(ruleName(finding.rule)));
        json.key("message").value(finding.message);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

} // namespace

int runValidateCommand(const std::string& archive, bool json) {
    const std::string schemas = findSchemaDirectory();
    if (schemas.empty()) {
        std::cerr << "bcf: the official BCF schemas are not installed beside this program\n";
        return 2;
    }
    ValidationReport report;
    try {
        report = validateArchive(archive, schemas);
    } catch (const std::exception& error) {
        archiveFailure(archive, error);
        return 2;
    }
    if (json) {
        writeJson(archive, report);
    } else {
        // One line per finding in the form compilers use, then the verdict.
        for (const ValidationFinding& finding : report.findings)
            std::cout << finding.entry << ":" << finding.line << ":" << finding.column << ": "
                      << ruleName(finding.rule) << ": " << finding.message << "\n";
        std::cout << archive << ": BCF " << versionText(report.version) << ", "
                  << (report.valid() ? std::string("valid")
                                     : std::to_string(report.findings.size()) +
                                           (report.findings.size() == 1 ? " problem" : " problems"))
                  << "\n";
    }
    return report.valid() ? 0 : 1;
}

} // namespace bcf::cli
