// The details of the selected topic beside its description: labels, due date, reference links,
// related topics, document references, BIM snippet and the header's model files.
#pragma once

#include "codec/model.h"

#include <QString>

namespace Ui {
class MainWindow;
}

// Link targets of the detail labels: what a click on each link stands for.
inline constexpr char kRemoveLabelLink[] = "remove-label:";   // + index into Topic::labels
inline constexpr char kRelatedTopicLink[] = "topic:";         // + GUID of the related topic
inline constexpr char kDocumentReferenceLink[] = "document:"; // + index into documentReferences
inline constexpr char kBimSnippetLink[] = "bim-snippet:";

// Fills the detail widgets for the topic at `topicIndex`, or empties and disables them for -1.
// The label choice lists the project's labels; the due date editor shows the due date or "None".
void fillTopicDetails(Ui::MainWindow& ui, const bcf::BcfData& data, int topicIndex);

// The index of the markup whose topic has `guid` (compared without regard to case), or -1.
int findTopic(const bcf::BcfData& data, const std::string& guid);

// The index in `markup.viewPoints` of the viewpoint with `guid` (without regard to case), or -1.
int viewPointIndex(const bcf::Markup& markup, const std::string& guid);

// The document of `data` an internal reference of `markup` points to, or null.
const bcf::DocumentInfo* referencedDocument(const bcf::BcfData& data, const bcf::Markup& markup,
                                            const bcf::DocumentReference& reference);
