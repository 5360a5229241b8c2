#include <QCoreApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPixmap>
#include <QVariant>
#include <future>
#include <vector>

#include "qn7_setuptool_app.h"

// The icons are compiled into a static library: nothing refers to their resource object, so the
// linker leaves it out unless it is registered by name.
static void RegisterIconResource() {
    Q_INIT_RESOURCE(icons);
}

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

std::vector<QImage> DecodeImages() {
    std::vector<QImage> images;
    for (int size : kSizes) {
        QImageReader reader(QStringLiteral(":/icons/qn7-setup-%1.png").arg(size), "png");
        images.push_back(reader.read());
    }
    return images;
}

// Knows the sizes from the start and takes the pixels from the decoding thread when they are
// first drawn; a window needs them only once it is shown.
class AppIconEngine final : public QIconEngine {
  public:
    explicit AppIconEngine(std::shared_future<std::vector<QImage>> images)
        : images_(std::move(images)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Loaded().pixmap(size, 1.0, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Loaded().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> sizes;
        if (mode != QIcon::Normal || state != QIcon::Off) return sizes;
        for (int size : kSizes) sizes << QSize(size, size);
        return sizes;
    }
    QIconEngine* clone() const override { return new AppIconEngine(images_); }
    QString key() const override { return QStringLiteral("qn7-setup"); }

  private:
    const QIcon& Loaded() {
        if (loaded_.isNull()) {
            for (const QImage& image : images_.get()) loaded_.addPixmap(QPixmap::fromImage(image));
        }
        return loaded_;
    }

    std::shared_future<std::vector<QImage>> images_;
    QIcon loaded_;
};

}  // namespace

QIcon AppIcon() {
    // Decoding the seven images costs as much as a third of the dialog's controls: it is done
    // once for the application, on a thread of its own, while the dialog is being built.
    static constexpr const char* kLoaded = "qn7AppIcon";
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr) {
        if (const QVariant loaded = app->property(kLoaded); loaded.isValid())
            return loaded.value<QIcon>();
    }
    static const bool registered = (RegisterIconResource(), true);
    (void)registered;
    const QIcon icon(new AppIconEngine(std::async(std::launch::async, DecodeImages).share()));
    if (app != nullptr) app->setProperty(kLoaded, QVariant::fromValue(icon));
    return icon;
}
