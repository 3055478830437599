// "Export report…": topics of the window's model as a PDF, XLSX or CSV report.
#pragma once

#include <vector>

class BcfSession;
class WindowMessages;

// Asks for the report file and writes the report of the topics `rows` (indices into the model's
// markups, in report order), with a progress dialog that can cancel it.
void exportReport(const BcfSession& session, const std::vector<int>& rows, WindowMessages& messages);
