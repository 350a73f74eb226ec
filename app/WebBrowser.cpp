#include "app/WebBrowser.h"

#include "app/ReportDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

namespace vantrel {

namespace {

// A page's text in the system's code page, as the report is written.
QString DecodePage(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::System);
    return decoder(bytes);
}

// The first lines, those the control shows at once, keep the glyphs their layout finds for
// the paint that follows, which would otherwise find them again.
void KeepGlyphsOfFirstLines(QTextDocument& page, int count) {
    QTextBlock block = page.begin();
    for (; block.isValid() && count > 0; block = block.next(), --count)
        block.layout()->setCacheEnabled(true);
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
    Show(LaidOutPage(DecodePage(page.readAll()), file));
    return {};
}

// The page is built away from the control, so that the control lays it out once, and only
// as far as it shows, instead of after every piece the HTML reader adds.
QTextDocument* WebBrowser::LaidOutPage(const QString& html, const QString& file) {
    auto* page = new QTextDocument(this);
    page->setDefaultFont(font());
    page->setBaseUrl(QUrl::fromLocalFile(file));
    // No page size yet: the layout the control gives the page then waits for the control's
    // width instead of laying the first lines out at none first.
    page->setPageSize(QSizeF(0, 0));
    FillPage(*page, html);
    KeepGlyphsOfFirstLines(*page, viewport()->height() / fontMetrics().lineSpacing() + 2);
    page->setMetaInformation(QTextDocument::DocumentUrl, QUrl::fromLocalFile(file).toString());
    return page;
}

// The control deletes only a page of its own: the previous page goes once the new one shows.
void WebBrowser::Show(QTextDocument* page) {
    const QPointer<QTextDocument> previous = document();
    setDocument(page);
    if (previous && previous->parent() == this) previous->deleteLater();
}

std::string WebBrowser::CurrentPath() const { return shownPath_; }

}  // namespace vantrel
