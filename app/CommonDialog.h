// The open-file dialog: a filter text in the form "Description|patterns|...", the modal
// dialog itself, and the file name it keeps from one showing to the next.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QStringList>

class QWidget;

namespace vantrel {

// Asks the user for one existing file, starting from `startFile` (the file confirmed last,
// or empty); nullopt when the user cancels.
class FilePicker {
public:
    virtual ~FilePicker() = default;
    virtual std::optional<std::string> PickFile(const QStringList& nameFilters,
                                                const std::string& startFile) = 0;
};

// The desktop's modal open-file dialog.
class QtFilePicker final : public FilePicker {
public:
    explicit QtFilePicker(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> PickFile(const QStringList& nameFilters,
                                        const std::string& startFile) override;

private:
    QWidget* parent_;
};

// "COM Components (*.dll;*.ocx)|*.dll;*.ocx|All Files (*.*)|*.*" becomes the Qt name
// filters "COM Components (*.dll *.ocx)" and "All Files (*)": pairs of description and
// patterns, the patterns separated by blanks; "*.*" matches every file, as it does on
// Windows, also one without an extension.
QStringList ParseDialogFilter(const std::string& filter);

class CommonDialog {
public:
    explicit CommonDialog(FilePicker& picker) : picker_(picker) {}

    void SetFilter(const std::string& filter) { nameFilters_ = ParseDialogFilter(filter); }
    // Shows the dialog, starting from the file confirmed last; true when the user confirms
    // a file. A cancel keeps the file name confirmed before.
    bool ShowOpen();
    // The path last confirmed, empty until one is.
    const std::string& FileName() const { return fileName_; }
    // A file confirmed elsewhere (the command line, a drop): the next showing starts there.
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

private:
    FilePicker& picker_;
    QStringList nameFilters_;
    std::string fileName_;
};

}  // namespace vantrel
