// Helpers shared by the codec tests: readable model dumps, expected files, files and xmllint.
#pragma once

#include "codec/document.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace pugi {
class xml_document;
}

namespace bcf::test {

// Absolute paths of the test inputs, set by CMake.
QString testcasesDir();
QString xsdDir();
QString dataDir();

// The whole content of a file, or an empty string when it can't be read.
std::string readFile(const QString& path);
bool writeFile(const QString& path, const std::string& bytes);

// The ZIP file `archive` with the data of entry `name` garbled, so that only that entry fails to read.
std::string damagedEntry(std::string archive, const std::string& name);

// Parses `text` with pugixml's default options; false when it is not well-formed.
bool parseXml(pugi::xml_document& document, const std::string& text);

// The lines of `text`, without their line ends.
std::vector<std::string> lines(const std::string& text);

// "line N: expected ... but got ..." for the first line where the texts differ, or empty.
QString firstDifference(const std::string& actual, const std::string& expected);

// The expected-file name for `name`: official archive names are shortened where a camera kind would
// put a word into the file name that this project keeps out of its file names.
QString expectedFileName(QString name);

// `actual` against the expected file at `path`: empty when they are the same, else the first
// difference. With BCF_UPDATE_GOLDEN=1 in the environment the file is rewritten instead. A
// word of a title and a link of the official archives, which this project keeps out of its files,
// is masked.
QString goldenDifference(QString path, const std::string& actual);

// `actual` against the expected file `name` below tests/data/expected, as `goldenDifference`. GUIDs the codec
// generated (not in `known`) differ on every run: they become "new-guid-N" in order of appearance (upper case
// where written so).
QString compareWithExpected(const QString& name, const std::string& actual, const std::string& known);

// `text` with every folder of `folders` (a path and its mask, e.g. {"/tmp/x-1234", "<tmp>"}) replaced
// by its mask, the path as given and in its canonical form. The longest paths go first, so that a
// folder inside another keeps its own mask, and only whole path components match: "/tmp" is no
// part of "/var/tmp/a" or of "/tmpfiles".
QString maskFolders(QString text, const std::vector<std::pair<QString, QString>>& folders);

// A line-per-field text of a model, so that a comparison names the first differing field.
std::string dump(const BcfData& data);
std::string dump(const Markup& markup);
std::string dump(const VisualizationInfo& info);

// Schema file for a BCF root element written in `version`; empty for the 2.1 extensions schema,
// which xmllint cannot load, and for unknown roots.
QString schemaFor(const QString& rootElement, BcfVersion version);

// Result of running xmllint; `output` holds its messages.
struct XmlLintResult {
    bool ok = false;
    QString output;
};
// Validates `files` against `schema` (`xmllint --nonet --noout --schema`), or checks them for
// well-formedness only when `schema` is empty.
XmlLintResult xmllint(const QStringList& files, const QString& schema);

// The name and bytes of every entry of the ZIP file at `path`, in central directory order.
std::vector<std::pair<std::string, std::string>> zipEntries(const std::string& path);

// Fetches every payload of a freshly loaded document from its archive.
void fetchAllPayloads(BcfDocument& document);

} // namespace bcf::test
