#include "app/CaptionButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace vantrel {

CaptionButton::CaptionButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    // Enter and Esc trigger no button of the window.
    setAutoDefault(false);
    setDefault(false);
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    // The style's content margins are too wide for a two-line caption on a small button.
    const QRect area = rect().adjusted(3, 2, -3, -2);
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), caption,
                         QPalette::ButtonText);
}

}  // namespace vantrel
