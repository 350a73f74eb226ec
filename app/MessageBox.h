// The window's message box: modal, critical icon, one OK button, captioned "Vantrel".
#pragma once

#include <string>

class QWidget;

namespace vantrel {

class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void ShowCritical(const std::string& text) = 0;
};

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void ShowCritical(const std::string& text) override;

private:
    QWidget* parent_;
};

}  // namespace vantrel
