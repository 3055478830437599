// Helpers shared by the codec tests: sample models, readable model dumps, files and xmllint.
#pragma once

#include "codec/model.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <set>
#include <string>
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

// The entry names of the archive file at `path`, in central directory order.
std::vector<std::string> entryNames(const std::string& path);

// The ZIP file `archive` with the data of entry `name` garbled, so that only that entry fails to read.
std::string damagedEntry(std::string archive, const std::string& name);

// Parses `text` with pugixml's default options; false when it is not well-formed.
bool parseXml(pugi::xml_document& document, const std::string& text);

// "line N: expected ... but got ..." for the first line where the texts differ, or empty.
QString firstDifference(const std::string& actual, const std::string& expected);

// A line-per-field text of a model, so that a failed comparison can name the first differing field.
std::string dump(const BcfData& data);
std::string dump(const Markup& markup);
std::string dump(const VisualizationInfo& info);

// The message for QVERIFY2 when two models differ: the first differing line of their dumps.
template <typename T> QByteArray modelDifference(const T& actual, const T& expected) {
    return firstDifference(dump(actual), dump(expected)).toUtf8();
}

// An XML text as items "path=text" and "path@attribute=value"; a path step carries the position
// among same-named siblings (order counts). White space collapsed, GUIDs lower-cased; xmlns, xsi:,
// comments and empty leaves give no item; 2.1 schema types are keyed by name, without base.
std::set<std::string> xmlItems(const std::string& text);
// The entries compared as XML items by the semantic round trips, by name suffix.
bool isComparedXmlEntry(const std::string& name);

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

// Sample records with every field set (and the payloads held, flags 1).
Markup fullMarkup();
// A topic with only the fields every schema requires; optional ones left empty or absent.
Markup minimalMarkup();
VisualizationInfo componentsView();
VisualizationInfo orthogonalView();
// A model with extension values, two documents and the two sample topics.
BcfData sampleModel(BcfVersion version);

// Fetches every payload of a freshly loaded model from the current archive.
void fetchAllPayloads(BcfData& data);
// Forgets where each topic was loaded from, which a model built in code does not know.
void clearSourceFolders(BcfData& data);

// What a viewpoint reads back as after being written in `version`: 2.1 has no AspectRatio and
// a field of view from 45 to 60 degrees, 3.0 requires a positive aspect ratio and one camera.
VisualizationInfo expectedAfterWrite(VisualizationInfo info, BcfVersion version);
// The same for the whole model saved in `version` and loaded back: payloads held, documents
// named as that version names them. Documents that get a new GUID take `actual`'s.
BcfData expectedAfterSave(BcfData data, BcfVersion version, const BcfData& actual);

} // namespace bcf::test
