// Renders res/icons/qn7-setup-<size>.png from the same drawing as qn7-setup.svg (Debian's Qt has
// no SVG module by default), and qn7-setup.ico, the Windows icon group, holding those PNG images.
// Build by hand when the icon changes:
//   g++ -std=c++20 -fPIC tools/render_icon.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/ri
//   QT_QPA_PLATFORM=offscreen /tmp/ri res/icons
#include <QFile>
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

void PutLittleEndian(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// An icon file: its header, one directory entry per image, then the images as PNG files.
QByteArray IconFile(const QList<QPair<int, QByteArray>>& pngs) {
    QByteArray out;
    PutLittleEndian(out, 0, 2);  // reserved
    PutLittleEndian(out, 1, 2);  // an icon
    PutLittleEndian(out, static_cast<quint32>(pngs.size()), 2);
    quint32 offset = 6 + 16 * static_cast<quint32>(pngs.size());
    for (const auto& [size, png] : pngs) {
        PutLittleEndian(out, size >= 256 ? 0 : size, 1);  // 0 stands for 256
        PutLittleEndian(out, size >= 256 ? 0 : size, 1);
        PutLittleEndian(out, 0, 2);   // no palette, reserved
        PutLittleEndian(out, 1, 2);   // planes
        PutLittleEndian(out, 32, 2);  // bits per pixel
        PutLittleEndian(out, static_cast<quint32>(png.size()), 4);
        PutLittleEndian(out, offset, 4);
        offset += static_cast<quint32>(png.size());
    }
    for (const auto& entry : pngs) out.append(entry.second);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QList<QPair<int, QByteArray>> pngs;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 256.0, size / 256.0);
        DrawIcon(painter);
        painter.end();
        const QString path = QStringLiteral("%1/qn7-setup-%2.png").arg(dir).arg(size);
        if (!image.save(path)) return 1;
        QFile png(path);
        if (!png.open(QIODevice::ReadOnly)) return 1;
        pngs.append({size, png.readAll()});
    }
    QFile ico(QStringLiteral("%1/qn7-setup.ico").arg(dir));
    return ico.open(QIODevice::WriteOnly) && ico.write(IconFile(pngs)) > 0 ? 0 : 1;
}
