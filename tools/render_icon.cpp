// Renders res/icons/qn7-setup-<size>.png from the same drawing as qn7-setup.svg (Debian's Qt has
// no SVG module by default). Build by hand when the icon changes:
//   g++ -std=c++20 -fPIC tools/render_icon.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/ri
//   QT_QPA_PLATFORM=offscreen /tmp/ri res/icons
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

void DrawIcon(QPainter& painter) {
    QLinearGradient background(0, 0, 0, 256);
    background.setColorAt(0, QColor("#2f80d1"));
    background.setColorAt(1, QColor("#15467f"));
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    QPen arc(Qt::white, 16, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(arc);
    painter.setBrush(Qt::NoBrush);
    // Arcs of the circles through the SVG's end points, centred below them.
    painter.drawArc(QRectF(44, 44, 168, 168), 45 * 16, 90 * 16);
    painter.drawArc(QRectF(78, 93, 100, 100), 45 * 16, 90 * 16);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(128, 148), 12, 12);
    painter.setBrush(QColor("#ffd34d"));
    painter.drawRoundedRect(QRectF(72, 176, 112, 44), 8, 8);
    painter.setBrush(QColor("#15467f"));
    for (int x : {96, 128, 160}) painter.drawEllipse(QPointF(x, 198), 7, 7);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 256.0, size / 256.0);
        DrawIcon(painter);
        painter.end();
        if (!image.save(QStringLiteral("%1/qn7-setup-%2.png").arg(dir).arg(size))) return 1;
    }
    return 0;
}
