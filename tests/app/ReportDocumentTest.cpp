// The control's document of a report page, built straight from the page, against what the
// HTML reader makes of the same page with its lines split into blocks.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QBrush>
#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

#include "AppTestSupport.h"
#include "app/ReportDocument.h"
#include "report/MemberReport.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// Every property with its type, since the layout reads a property only in its own type.
std::string Describe(const QTextFormat& format) {
    std::string text;
    const QMap<int, QVariant> properties = format.properties();
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const QVariant& value = it.value();
        QString shown = value.toString();
        if (value.typeId() == QMetaType::QBrush) shown = value.value<QBrush>().color().name();
        if (value.typeId() == QMetaType::QStringList) shown = value.toStringList().join(u'|');
        text += " " + QString::number(it.key(), 16).toStdString() + ":" + value.typeName() + "=" +
                shown.toStdString();
    }
    return text;
}

// The document as shown: its title, frame, and per block the block's formats and its runs of
// text in one character format each.
std::vector<std::string> Shown(const QTextDocument& document) {
    std::vector<std::string> lines = {
        document.metaInformation(QTextDocument::DocumentTitle).toStdString(),
        Describe(document.rootFrame()->frameFormat())};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        std::string line = "block" + Describe(block.blockFormat()) + " |" +
                           Describe(block.charFormat()) + " |";
        QString run;
        QTextCharFormat runFormat;
        const auto endRun = [&] {
            if (!run.isEmpty()) line += " [" + run.toStdString() + "]" + Describe(runFormat);
            run.clear();
        };
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat() != runFormat) endRun();
            runFormat = fragment.charFormat();
            run += fragment.text();
        }
        endRun();
        lines.push_back(line);
    }
    return lines;
}

struct Page {
    std::string name;
    QString html;
};

std::vector<Page> LibraryPages(const std::string& path) {
    std::vector<Page> pages;
    if (!fs::exists(path)) return pages;
    TypeLibraryLoader loader;
    auto library = loader.OpenFromFile(path);
    EXPECT_TRUE(library) << path;
    if (!library) return pages;
    const Collection<TypeEntry> types = library->Types();
    for (const TypeEntry& type : types.items()) {
        const std::string name(type.Name());
        auto page = GetProperties(*library, path, name, path);
        if (page) pages.push_back({path + " " + name, QString::fromStdString(*page)});
    }
    EXPECT_FALSE(pages.empty()) << path;
    return pages;
}

QString ReadText(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// Pages of the report's shape written by hand: white space, entities and empty sections.
const char* const HandWrittenReport =
    "<html>\r\n<head><title>  a&amp;b  &lt;c&gt; members </title></head>"
    "<h3>Members of  x &amp; y   (T) </h3><p>\r\n\r\n"
    "<b><u>Properties:</u></b><p>\r\n<code>1) <font color=blue>A </font> B<br> 2) x \t y <br>"
    "3)  <font color=blue> E </font> <br>4) <font color=blue></font>z<br></code>"
    "<p><b><u> Methods: </u></b><p><code></code><p><b><u>Events:</u></b><p><code></code>"
    "<p><b><u>Constants:</u></b><p>1) a&amp;b&lt;&gt;<BR> 2) q <BR><p></html>";

TEST(ReportDocument, BuiltStraightAsTheHtmlReaderBuildsIt) {
    EnsureApplication();
    struct Case {
        std::vector<Page> pages;
        bool report;  // built straight, else left to the HTML reader
    };
    const std::vector<Case> cases = {
        {LibraryPages(std::string(VANTREL_REAL_LIBS_DIR) + "/mshtml.tlb"), true},
        {LibraryPages(std::string(VANTREL_CORPUS_DIR) + "/XL5EN32.OLB"), true},
        {LibraryPages(Fixture("Fixture.tlb")), true},
        {LibraryPages(Fixture("Escaping.tlb")), true},
        {LibraryPages(Fixture("Names.tlb")), true},
        {{{"by hand", QString::fromUtf8(HandWrittenReport)}}, true},
        {{{"start page", ReadText(QStringLiteral(VANTREL_START_PAGE))}}, false},
        {{{"edited", QString::fromUtf8(HandWrittenReport).replace("<code></code>", "<i>x</i>")},
          {"a stray >", QString::fromUtf8(HandWrittenReport).replace("1) a", "1) a>")},
          {"no end", QString::fromUtf8(HandWrittenReport).chopped(7)}},
         false},
    };
    for (const Case& c : cases) {
        for (const Page& page : c.pages) {
            SCOPED_TRACE(page.name);
            QTextDocument straight;
            QTextDocument reference;
            ASSERT_EQ(FillReportPage(straight, page.html), c.report);
            FillPageFromHtml(reference, page.html);
            if (!c.report) {
                EXPECT_TRUE(straight.isEmpty());
                continue;
            }
            const std::vector<std::string> built = Shown(straight);
            const std::vector<std::string> read = Shown(reference);
            ASSERT_EQ(built.size(), read.size());
            for (size_t i = 0; i < built.size(); ++i) ASSERT_EQ(built[i], read[i]) << "line " << i;
        }
    }
}

}  // namespace
}  // namespace vantrel::testing
