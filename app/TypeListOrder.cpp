#include "app/TypeListOrder.h"

#include <algorithm>

namespace vantrel {

QStringList SortedIgnoringCase(const std::vector<std::string>& names) {
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) entries << QString::fromStdString(name);
    std::stable_sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return entries;
}

}  // namespace vantrel
