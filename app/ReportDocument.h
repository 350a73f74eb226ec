// The shown document of a page: a member report page is translated straight into blocks and
// character formats, one block per member line; any other page goes through the HTML reader.
#pragma once

#include <QString>

class QTextDocument;

namespace vantrel {

// Fills the empty `page` from `html`, as the HTML reader would, but with every line of a
// paragraph in a block of its own. Builds a member report page directly; reads any other page
// with the HTML reader.
void FillPage(QTextDocument& page, const QString& html);

// Fills the empty `page` if `html` is a member report page, as the report writes it; leaves it
// untouched and returns false otherwise.
bool FillReportPage(QTextDocument& page, QStringView html);

// Fills the empty `page` through the HTML reader, then gives each line a block of its own.
void FillPageFromHtml(QTextDocument& page, const QString& html);

}  // namespace vantrel
