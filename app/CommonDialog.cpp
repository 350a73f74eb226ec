#include "app/CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace vantrel {

namespace {

// Windows patterns are separated by ';', Qt's by blanks; "*.*" there is "*" here.
QString QtPatterns(const QString& patterns) {
    QStringList result;
    for (const QString& pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        result << (trimmed == u"*.*" ? QStringLiteral("*") : trimmed);
    }
    return result.join(u' ');
}

// "COM Components (*.dll;*.ocx)" without its own pattern list: Qt shows the patterns
// in parentheses itself and reads them from there.
QString DescriptionOnly(const QString& description) {
    const qsizetype open = description.lastIndexOf(u'(');
    if (open <= 0 || !description.endsWith(u')')) return description.trimmed();
    return description.left(open).trimmed();
}

}  // namespace

QStringList ParseDialogFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        result << QStringLiteral("%1 (%2)").arg(DescriptionOnly(parts[i]), QtPatterns(parts[i + 1]));
    return result;
}

std::optional<std::string> QtFilePicker::PickFile(const QStringList& nameFilters,
                                                  const std::string& startFile) {
    QFileDialog dialog(parent_);
    if (!startFile.empty()) {
        const QFileInfo start(QString::fromStdString(startFile));
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(nameFilters);
    if (!nameFilters.isEmpty()) dialog.selectNameFilter(nameFilters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

bool CommonDialog::ShowOpen() {
    auto picked = picker_.PickFile(nameFilters_, fileName_);
    if (!picked) return false;
    fileName_ = std::move(*picked);
    return true;
}

}  // namespace vantrel
