#include "app/MessageBox.h"

#include <QMessageBox>

namespace vantrel {

void QtMessageBox::ShowCritical(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vantrel"), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace vantrel
