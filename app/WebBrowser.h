// The browser control inside the window: shows an HTML file given by its plain path.
#pragma once

#include <string>

#include <QTextBrowser>

#include "typelib/file/Error.h"

namespace vantrel {

class WebBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);

    // Loads the file at `path`. A missing or unreadable file is not an error: the control
    // then shows an empty page. Fails only for a path that names no file at all.
    virtual Expected<void> Navigate(const std::string& path);
    // The path shown last, empty before the first navigation.
    std::string CurrentPath() const;

private:
    QTextDocument* LaidOutPage(const QString& html, const QString& file);
    void Show(QTextDocument* page);

    std::string shownPath_;
};

}  // namespace vantrel
