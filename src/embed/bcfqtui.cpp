#include "bcfqtui.h"

#include "placeholder.h"
#include "viewpoint_conversion.h"

#include "i18n/language.h"
#include "ui/bcf_session.h"
#include "ui/mainwindow.h"
#include "ui/records.h"
#include "ui/topic_selection.h"
#include "ui/viewpoint_link.h"

#include <QApplication>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWindow>

#include <stdexcept>

class BcfQtUiPrivate {
public:
    explicit BcfQtUiPrivate(BcfQtUi* view) : q(view) {}

    // Connects the window's notifications to the view's signals.
    void connectWindow();
    // The viewpoint record of `viewpoint` as a new snapshot of the current archive.
    bcf::ViewPoint record(const BcfViewpoint& viewpoint) const;
    void announceViewpoint(int topic, int viewPoint);

    BcfQtUi* q;
    // The widget that the platform layer made inside the host window; everything shown lives in it.
    std::unique_ptr<QWidget> placeholder;
    // The main window shown in the placeholder, which owns it as a Qt child.
    MainWindow* mainWindow = nullptr;
    BcfQtUi::ViewpointProvider provider;
};

namespace {

bcf::BcfVersion toCodec(BcfQtUi::Version version) {
    switch (version) {
    case BcfQtUi::Version::Bcf20:
        return bcf::BcfVersion::V2_0;
    case BcfQtUi::Version::Bcf21:
        return bcf::BcfVersion::V2_1;
    case BcfQtUi::Version::Bcf30:
        return bcf::BcfVersion::V3_0;
    }
    return bcf::BcfVersion::V2_0;
}

BcfQtUi::Version fromCodec(bcf::BcfVersion version) {
    switch (version) {
    case bcf::BcfVersion::V2_1:
        return BcfQtUi::Version::Bcf21;
    case bcf::BcfVersion::V3_0:
        return BcfQtUi::Version::Bcf30;
    case bcf::BcfVersion::V2_0:
        break;
    }
    return BcfQtUi::Version::Bcf20;
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void BcfQtUiPrivate::connectWindow() {
    BcfSession& session = mainWindow->session();
    TopicSelection& selection = mainWindow->selection();
    ViewpointLink& link = mainWindow->viewpointLink();
    QObject::connect(&selection, &TopicSelection::topicChanged, q,
                     [this] { emit q->selectedTopicChanged(q->selectedTopicGuid()); });
    QObject::connect(&session, &BcfSession::unsavedChangesChanged, q, &BcfQtUi::unsavedChangesChanged);
    QObject::connect(&session, &BcfSession::filePathChanged, q,
                     [this] { emit q->currentFileChanged(q->currentFile()); });
    QObject::connect(&link, &ViewpointLink::viewpointActivated, q,
                     [this](int topic, int viewPoint) { announceViewpoint(topic, viewPoint); });
    QObject::connect(&link, &ViewpointLink::componentsSelected, q, &BcfQtUi::componentsSelected);
}

bcf::ViewPoint BcfQtUiPrivate::record(const BcfViewpoint& viewpoint) const {
    CodecViewpoint converted = viewpointToCodec(viewpoint);
    return newSnapshot(mainWindow->bcfData(), std::move(converted.info), std::move(converted.snapshotPng));
}

void BcfQtUiPrivate::announceViewpoint(int topic, int viewPoint) {
    BcfViewpoint shown;
    try {
        // The link has read both payloads into the model.
        const bcf::ViewPoint& record = mainWindow->bcfData()
                                           .markups.at(static_cast<std::size_t>(topic))
                                           .viewPoints.at(static_cast<std::size_t>(viewPoint));
        shown = viewpointFromCodec(record.visualizationInfo, record.snapshotData.str());
        if (shown.guid.isEmpty())
            shown.guid = fromUtf8(record.guid);
    } catch (const std::exception&) {
        return; // memory exhausted while copying: the host hears nothing rather than half a viewpoint
    }
    emit q->viewpointActivated(shown);
}

BcfQtUi::BcfQtUi(WId host) : d(std::make_unique<BcfQtUiPrivate>(this)) {
    // Widgets need the host's QApplication; without one Qt would abort the whole process.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw std::logic_error("BcfQtUi needs a QApplication");
    }
    d->placeholder = bcf::platform::createPlaceholderWidget(host);
    if (!d->placeholder) {
        throw std::runtime_error("no placeholder widget");
    }
    // Should a step throw, the members already built are destroyed: the placeholder takes
    // whatever was put into it, and the guard below deletes a main window not yet handed over.
    auto* layout = new QVBoxLayout;
    // The host alone decides the view's size: without this the layout would hold the placeholder, a
    // top-level widget to Qt, at the main window's minimum size, past the edges of the host window.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    d->placeholder->setLayout(layout);
    // Below the main window's minimum size the view scrolls rather than reaching past the host's
    // area, where nothing could get at what is cut off.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("saViewer"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    d->placeholder->layout()->addWidget(scroll);
    auto window = std::make_unique<MainWindow>();
    d->mainWindow = window.get();
    scroll->setWidget(window.get());
    window.release(); // now a Qt child of the placeholder
    d->connectWindow();
    d->placeholder->show();
}

BcfQtUi::~BcfQtUi() {
    // The window may still say things while it goes (its undo stack cleared): not to this view,
    // which is half gone by then.
    if (d->mainWindow != nullptr) {
        QObject::disconnect(&d->mainWindow->session(), nullptr, this, nullptr);
        QObject::disconnect(&d->mainWindow->selection(), nullptr, this, nullptr);
        QObject::disconnect(&d->mainWindow->viewpointLink(), nullptr, this, nullptr);
        d->mainWindow->viewpointLink().setCapture({});
    }
    d->placeholder.reset();
}

void BcfQtUi::setLanguage(const QLocale& language) {
    bcf::setLanguage(language);
}

void BcfQtUi::resize(int width, int height) {
    // Embedded, the client area goes to 0,0: a top-level widget's move() places its frame, which an
    // embedded window has none of, and would push the view down by the host's menu bar and frame.
    // A window of its own keeps its frame at 0,0.
    const QWindow* own = d->placeholder->windowHandle();
    if (own != nullptr && own->parent() != nullptr) {
        d->placeholder->setGeometry(0, 0, width, height);
    } else {
        d->placeholder->resize(width, height);
        d->placeholder->move(0, 0);
    }
}

bool BcfQtUi::hasUnsavedChanges() const {
    return d->mainWindow->hasUnsavedChanges();
}

bool BcfQtUi::save() {
    return d->mainWindow->save();
}

QWidget* BcfQtUi::widget() const {
    return d->placeholder.get();
}

bool BcfQtUi::open(const QString& path) {
    return d->mainWindow->open(path);
}

bool BcfQtUi::saveAs(const QString& path, Version version) {
    return d->mainWindow->saveAs(path, toCodec(version));
}

bool BcfQtUi::close() {
    return d->mainWindow->closeArchive();
}

QString BcfQtUi::currentFile() const {
    return fromUtf8(d->mainWindow->bcfFilePath());
}

BcfQtUi::Version BcfQtUi::currentVersion() const {
    return fromCodec(d->mainWindow->session().version());
}

QStringList BcfQtUi::topicGuids() const {
    QStringList guids;
    for (const bcf::Markup& markup : d->mainWindow->bcfData().markups)
        guids.append(fromUtf8(markup.topic.guid));
    return guids;
}

QString BcfQtUi::selectedTopicGuid() const {
    const int topic = d->mainWindow->selection().topic();
    const auto& markups = d->mainWindow->bcfData().markups;
    if (topic < 0 || static_cast<std::size_t>(topic) >= markups.size())
        return QString();
    return fromUtf8(markups[static_cast<std::size_t>(topic)].topic.guid);
}

bool BcfQtUi::selectTopic(const QString& guid) {
    TopicSelection& selection = d->mainWindow->selection();
    if (guid.isEmpty()) {
        selection.setTopic(-1);
        return true;
    }
    const auto& markups = d->mainWindow->bcfData().markups;
    for (std::size_t i = 0; i < markups.size(); ++i) {
        if (fromUtf8(markups[i].topic.guid).compare(guid, Qt::CaseInsensitive) == 0) {
            selection.setTopic(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

void BcfQtUi::setViewpointProvider(ViewpointProvider provider) {
    d->provider = std::move(provider);
    ViewpointLink::Capture capture;
    if (d->provider)
        capture = [this] { return d->record(d->provider()); };
    d->mainWindow->viewpointLink().setCapture(std::move(capture));
}

bool BcfQtUi::addViewpoint(const BcfViewpoint& viewpoint) {
    return d->mainWindow->viewpointLink().addSnapshot([&] { return d->record(viewpoint); });
}
