#include "ui/bcfopen.h"

#include "ui_bcfopen.h"

#include <QFileDialog>
#include <QPushButton>
#include <QString>

BcfOpen::BcfOpen(QWidget* parent) : QDialog(parent), ui(std::make_unique<BcfOpenUi>()) {
    ui->setupUi(this);
    connect(ui->pbOpen, &QPushButton::clicked, this, &BcfOpen::onPbOpenClicked);
}

BcfOpen::~BcfOpen() = default;

void BcfOpen::onPbOpenClicked() {
    // The dialog ends as accepted even when the file dialog was cancelled: the empty path tells
    // the main window that nothing was chosen.
    try {
        const QString path = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                          tr("BCF Files (*.bcf *.bcfzip);;All files (*.*)"));
        selectedFilePath_ = path.toUtf8().toStdString();
    } catch (...) {
        selectedFilePath_.clear();
    }
    accept();
}
