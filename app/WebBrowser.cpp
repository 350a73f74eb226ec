#include "app/WebBrowser.h"

#include <QFileInfo>
#include <QUrl>

namespace vantrel {

WebBrowser::WebBrowser(QWidget* parent) : QTextBrowser(parent) {
    // Links in a report page lead nowhere, and a start page link opens outside.
    setOpenExternalLinks(true);
}

Expected<void> WebBrowser::Navigate(const std::string& path) {
    if (path.empty()) return makeError(errc::InvalidArgument, "No page to show.");
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) {
        // QTextBrowser keeps the previous page for a file it can't load; a browser would
        // show that nothing is there.
        clear();
        setSource(QUrl());
        missingPath_ = path;
        return {};
    }
    missingPath_.clear();
    // A report may have been rewritten under the same name: load it afresh.
    if (source() == QUrl::fromLocalFile(file))
        reload();
    else
        setSource(QUrl::fromLocalFile(file), QTextDocument::HtmlResource);
    return {};
}

std::string WebBrowser::CurrentPath() const {
    if (!missingPath_.empty()) return missingPath_;
    return source().toLocalFile().toStdString();
}

}  // namespace vantrel
