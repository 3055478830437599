// What a BCF XML file holds beyond what this tool reads: the elements and attributes each reader
// takes, and a walk over a parsed file that names the rest, so that a save can say what it leaves out.
#pragma once

#include "codec/model.h"

#include <pugixml.hpp>
#include <string_view>
#include <vector>

namespace bcf::xml {

// The XML files of an archive that a reader takes apart.
enum class FileKind { Version, Project, Extensions, Documents, Markup, Visualization };

// Adds to `unread` what `document` holds that the reader of `kind` for `version` does not take:
// elements and attributes it has no place for, and second ones of what it reads once. Namespace
// declarations and xsi: attributes are no content. The viewpoint reader takes both versions' forms.
void findUnread(const pugi::xml_document& document, FileKind kind, BcfVersion version,
                std::vector<UnreadContent>& unread);

// Counts `count` more of `kind` named `parent`, `separator`, `name` ("Comment/Status",
// "Component@Visible"; `name` alone without a parent). Beyond the first few distinct names the
// rest count under an empty name, so that a file of many strange names costs no more.
void addUnread(std::vector<UnreadContent>& unread, UnreadContent::Kind kind, std::string_view parent,
               char separator, std::string_view name, std::size_t count = 1);
// Counts `content` into `unread` as the other addUnread does.
void addUnread(std::vector<UnreadContent>& unread, const UnreadContent& content);

} // namespace bcf::xml
