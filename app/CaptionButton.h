// A command button whose caption wraps onto further lines when it is wider than the
// button, as "Delete cached HTML Files" is on its designed size.
#pragma once

#include <QPushButton>

namespace vantrel {

class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    explicit CaptionButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vantrel
