#include "app/WebBrowser.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace vantrel {

namespace {

// A page's text in the system's code page, as the report is written.
QString DecodePage(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::System);
    return decoder(bytes);
}

// Gives the line at `position` (just after a line break) a block of its own with the block
// format of the lines around it, without their space above and below.
void BreakBlockAt(QTextCursor& cursor, int position) {
    // A selection, not deleteChar, which would find character boundaries in the whole block.
    cursor.setPosition(position - 1);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    QTextBlockFormat inner = cursor.blockFormat();
    const qreal below = inner.bottomMargin();
    inner.setBottomMargin(0);
    cursor.setBlockFormat(inner);
    inner.setTopMargin(0);
    inner.setBottomMargin(below);
    cursor.insertBlock(inner);
}

// A report lists its members as lines of one paragraph. The control lays a paragraph out
// whole before it shows any of it, but paragraphs only as far as they are shown: each
// line becomes a paragraph of its own, looking the same.
void LinesToBlocks(QTextDocument& page) {
    QTextCursor cursor(&page);
    cursor.beginEditBlock();
    for (QTextBlock block = page.lastBlock(); block.isValid(); block = block.previous()) {
        const QString text = block.text();
        for (qsizetype at = text.lastIndexOf(QChar::LineSeparator); at >= 0;
             at = at > 0 ? text.lastIndexOf(QChar::LineSeparator, at - 1) : -1)
            BreakBlockAt(cursor, block.position() + static_cast<int>(at) + 1);
    }
    cursor.endEditBlock();
}

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : QTextBrowser(parent) {
    // Links in a report page lead nowhere, and a start page link opens outside.
    setOpenExternalLinks(true);
    // A scroll bar that comes and goes would have each long page laid out twice.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

Expected<void> WebBrowser::Navigate(const std::string& path) {
    if (path.empty()) return makeError(errc::InvalidArgument, "No page to show.");
    const QString file = QString::fromStdString(path);
    shownPath_ = path;
    QFile page(file);
    if (!page.open(QIODevice::ReadOnly)) {
        // A browser shows that nothing is there, not the previous page.
        clear();
        return {};
    }
    setSearchPaths({QFileInfo(file).absolutePath()});
    setDocument(LaidOutPage(DecodePage(page.readAll()), file));
    return {};
}

// The page is built away from the control, so that the control lays it out once, and only
// as far as it shows, instead of after every piece the HTML reader adds.
QTextDocument* WebBrowser::LaidOutPage(const QString& html, const QString& file) {
    auto* page = new QTextDocument(this);  // the control deletes its previous page
    page->setDefaultFont(font());
    page->setBaseUrl(QUrl::fromLocalFile(file));
    page->setHtml(html);
    LinesToBlocks(*page);
    page->setMetaInformation(QTextDocument::DocumentUrl, QUrl::fromLocalFile(file).toString());
    return page;
}

std::string WebBrowser::CurrentPath() const { return shownPath_; }

}  // namespace vantrel
