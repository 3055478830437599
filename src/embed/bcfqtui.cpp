#include "bcfqtui.h"

#include "placeholder.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QWindow>

#include <stdexcept>

BcfQtUi::BcfQtUi(WId host) {
    // Widgets need the host's QApplication; without one Qt would abort the whole process.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw std::logic_error("BcfQtUi needs a QApplication");
    }
    placeholder = bcf::platform::createPlaceholderWidget(host);
    if (!placeholder) {
        throw std::runtime_error("no placeholder widget");
    }
    // Should a step throw, the members already built are destroyed: the placeholder takes
    // whatever was put into it, and the guard below deletes a main window not yet handed over.
    auto* layout = new QVBoxLayout;
    // The host alone decides the view's size: without this the layout would hold the placeholder, a
    // top-level widget to Qt, at the main window's minimum size, past the edges of the host window.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    placeholder->setLayout(layout);
    auto window = std::make_unique<MainWindow>();
    mainWindow = window.get();
    placeholder->layout()->addWidget(window.get());
    window.release(); // now a Qt child of the placeholder
    placeholder->show();
}

BcfQtUi::~BcfQtUi() = default;

void BcfQtUi::resize(int width, int height) {
    // Embedded, the client area goes to 0,0: a top-level widget's move() places its frame, which an
    // embedded window has none of, and would push the view down by the host's menu bar and frame.
    // A window of its own keeps its frame at 0,0.
    const QWindow* own = placeholder->windowHandle();
    if (own != nullptr && own->parent() != nullptr) {
        placeholder->setGeometry(0, 0, width, height);
    } else {
        placeholder->resize(width, height);
        placeholder->move(0, 0);
    }
}

bool BcfQtUi::hasUnsavedChanges() const {
    return mainWindow != nullptr && mainWindow->hasUnsavedChanges();
}

bool BcfQtUi::save() {
    return mainWindow != nullptr && mainWindow->save();
}
