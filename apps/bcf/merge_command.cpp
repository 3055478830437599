#include "merge_command.h"

#include "archive_failure.h"
#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/merge.h"
#include "codec/version.h"
#include "json_writer.h"

#include <iostream>
#include <optional>

namespace bcf::cli {

namespace {

struct Merged {
    std::string archive;
    MergeSummary summary;
};

std::string count(std::size_t number, const std::string& what) {
    return std::to_string(number) + " " + what + (number == 1 ? "" : "s");
}

std::string joined(const std::vector<std::string>& texts) {
    std::string text;
    for (const std::string& part : texts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

// One line of counts per merged archive, then a line per topic and conflict.
void writeText(const std::vector<Merged>& merges) {
    for (const auto& [archive, summary] : merges) {
        std::cerr << archive << ": " << count(summary.topicsAdded(), "topic") << " added, "
                  << summary.topicsUpdated() << " updated; " << count(summary.commentsAdded, "comment")
                  << " added; " << count(summary.viewpointsAdded, "viewpoint") << " added; "
                  << count(summary.documentsAdded, "document") << " added; "
                  << count(summary.conflicts.size(), "conflict") << "\n";
        if (!summary.projectFields.empty())
            std::cerr << "  ~ project: " << joined(summary.projectFields) << "\n";
        if (summary.extensionValuesAdded)
            std::cerr << "  ~ extensions: " << count(summary.extensionValuesAdded, "value") << " added\n";
        for (const TopicMergeChange& topic : summary.topics) {
            std::vector<std::string> parts;
            if (topic.commentsAdded)
                parts.push_back(count(topic.commentsAdded, "comment") + " added");
            if (topic.commentsUpdated)
                parts.push_back(count(topic.commentsUpdated, "comment") + " updated");
            if (topic.viewpointsAdded)
                parts.push_back(count(topic.viewpointsAdded, "viewpoint") + " added");
            std::cerr << "  " << (topic.added ? "+ " : "~ ") << topic.guid << " " << quote(topic.title);
            if (!topic.fields.empty())
                std::cerr << ": " << joined(topic.fields);
            if (!parts.empty())
                std::cerr << (topic.fields.empty() ? ": " : "; ") << joined(parts);
            std::cerr << "\n";
        }
        for (const MergeConflict& conflict : summary.conflicts) {
            std::cerr << "  ! "
                      << (!conflict.document.empty()   ? "document " + conflict.document
                          : conflict.topicGuid.empty() ? std::string("project")
                                                       : conflict.topicGuid);
            if (!conflict.commentGuid.empty())
                std::cerr << " comment " << conflict.commentGuid;
            std::cerr << " " << conflict.field << ": kept " << quote(conflict.baseValue) << ", not "
                      << quote(conflict.otherValue) << "\n";
        }
        for (const SaveNote& note : summary.notes.all())
            std::cerr << "note: " << note.count << " " << note.text << "\n";
    }
}

void writeNotes(JsonWriter& json, const SaveNotes& notes) {
    json.beginArray();
    for (const SaveNote& note : notes.all()) {
        json.beginObject();
        json.key("count").value(static_cast<std::uint64_t>(note.count));
        json.key("text").value(note.text);
        json.endObject();
    }
    json.endArray();
}

void writeJson(const std::string& out, BcfVersion version, const std::vector<Merged>& merges,
               const SaveNotes& notes) {
    JsonWriter json(std::cout);
    json.beginObject();
    json.key("output").value(out);
    json.key("version").value(std::string(versionText(version)));
    json.key("merges").beginArray();
    for (const auto& [archive, summary] : merges) {
        json.beginObject();
        json.key("archive").value(archive);
        json.key("topicsAdded").value(static_cast<std::uint64_t>(summary.topicsAdded()));
        json.key("topicsUpdated").value(static_cast<std::uint64_t>(summary.topicsUpdated()));
        json.key("commentsAdded").value(static_cast<std::uint64_t>(summary.commentsAdded));
        json.key("viewpointsAdded").value(static_cast<std::uint64_t>(summary.viewpointsAdded));
        json.key("documentsAdded").value(static_cast<std::uint64_t>(summary.documentsAdded));
        json.key("extensionValuesAdded").value(static_cast<std::uint64_t>(summary.extensionValuesAdded));
        json.key("projectFields").stringArray(summary.projectFields);
        json.key("topics").beginArray();
        for (const TopicMergeChange& topic : summary.topics) {
            json.beginObject();
            json.key("guid").value(topic.guid);
            json.key("title").value(topic.title);
            json.key("added").boolean(topic.added);
            json.key("fields").stringArray(topic.fields);
            json.key("commentsAdded").value(static_cast<std::uint64_t>(topic.commentsAdded));
            json.key("commentsUpdated").value(static_cast<std::uint64_t>(topic.commentsUpdated));
            json.key("viewpointsAdded").value(static_cast<std::uint64_t>(topic.viewpointsAdded));
            json.endObject();
        }
        json.endArray();
        json.key("conflicts").beginArray();
        for (const MergeConflict& conflict : summary.conflicts) {
            json.beginObject();
            json.key("topic").value(conflict.topicGuid);
            json.key("comment").value(conflict.commentGuid);
            json.key("document").value(conflict.document);
            json.key("field").value(conflict.field);
            json.key("base").value(conflict.baseValue);
            json.key("other").value(conflict.otherValue);
            json.endObject();
        }
        json.endArray();
        json.key("notes");
        writeNotes(json, summary.notes);
        json.endObject();
    }
    json.endArray();
    json.key("notes");
    writeNotes(json, notes);
    json.endObject();
}

} // namespace

int runMergeCommand(const std::vector<std::string>& args, std::string& usageProblem) {
    std::vector<std::string> archives;
    std::optional<std::string> out;
    std::optional<BcfVersion> version;
    bool json = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" && hasValue) {
            out = args[++i];
        } else if (arg == "--to" && hasValue && (args[i + 1] == "2.1" || args[i + 1] == "3.0")) {
            version = args[++i] == "2.1" ? BcfVersion::V2_1 : BcfVersion::V3_0;
        } else if (arg == "--json") {
            json = true;
        } else if (arg.starts_with("-")) {
            usageProblem = arg == "--to" && hasValue ? "--to takes 2.1 or 3.0, not \"" + args[i + 1] + "\""
                                                     : "unknown option or missing value \"" + arg + "\"";
            return 2;
        } else {
            archives.push_back(arg);
        }
    }
    if (archives.size() < 2 || !out) {
        usageProblem = "merge takes a base archive, at least one other archive and -o OUT";
        return 2;
    }
    BcfDocument document;
    try {
        document = loadArchive(archives[0]);
    } catch (const std::exception& error) {
        return archiveFailure(archives[0], error);
    }
    // Each archive is merged into the result of the ones before it; its payloads are taken over as
    // it is merged, so only the base's archive stays open.
    std::vector<Merged> merges;
    for (std::size_t i = 1; i < archives.size(); ++i) {
        try {
            const BcfDocument other = loadArchive(archives[i]);
            MergeResult result = mergeArchives(document, other);
            document.data = std::move(result.data);
            merges.push_back({archives[i], std::move(result.summary)});
        } catch (const std::exception& error) {
            return archiveFailure(archives[i], error);
        }
    }
    const BcfVersion target = version.value_or(document.data.version);
    SaveNotes notes;
    try {
        notes = saveArchive(*out, document, target);
    } catch (const std::exception& error) {
        const auto* bcfError = dynamic_cast<const BcfError*>(&error);
        return archiveFailure(bcfError && bcfError->subject() != *out ? archives[0] : *out, error);
    }
    if (json) {
        writeJson(*out, target, merges, notes);
    } else {
        writeText(merges);
        for (const SaveNote& note : notes.all())
            std::cerr << "note: " << note.count << " " << note.text << "\n";
    }
    return 0;
}

} // namespace bcf::cli
