// The open/create project dialog: picks the BCF archive file that the main window opens.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class BcfOpenDialog;
}

// The generated form object of the open dialog.
using BcfOpenUi = Ui::BcfOpenDialog;

class BcfOpen : public QDialog {
    Q_OBJECT

public:
    // Builds the form on the "Server" page; only the "Open" button is connected.
    explicit BcfOpen(QWidget* parent = nullptr);
    ~BcfOpen() override;

    // UTF-8 path last chosen through the "Open" button; empty when none was chosen.
    const std::string& selectedFilePath() const { return selectedFilePath_; }

private:
    // Asks for a BCF file, keeps its path (empty when cancelled) and accepts the dialog.
    void onPbOpenClicked();

    std::unique_ptr<BcfOpenUi> ui;
    std::string selectedFilePath_;
};
