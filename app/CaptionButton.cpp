#include "app/CaptionButton.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vantrel {

namespace {
constexpr qreal MinimumPointSize = 6;
}  // namespace

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
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    // On a window shrunk to fit a small screen, the caption shrinks with its button.
    QFont font = painter.font();
    while (font.pointSizeF() > MinimumPointSize &&
           !area.contains(QFontMetrics(font).boundingRect(area, flags, caption)))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    painter.setFont(font);
    painter.drawItemText(area, flags, palette(), isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace vantrel
