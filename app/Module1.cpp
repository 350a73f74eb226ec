#include "app/Module1.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vantrel {

Expected<void> Module1::LaunchFile(const std::string& path) {
    const QString launcher = QStringLiteral("xdg-open");
    if (!QProcess::startDetached(launcher, {QString::fromStdString(path)}))
        return makeError(errc::FileNotFound,
                         "The desktop's launcher " + launcher.toStdString() + " could not be started.");
    return {};
}

}  // namespace vantrel
