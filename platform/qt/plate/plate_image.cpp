#include "platform/qt/plate/plate_image.h"

#include <cstdio>
#include <cstdlib>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#ifdef ORVE_HAVE_SVG
#include <QSvgGenerator>
#endif

#include "host/error.h"
#include "platform/qt/plate/plate_painter.h"

namespace plateplot {
namespace {

constexpr host::Status kErrImage = 0x7FFF1703;

}  // namespace

bool SvgAvailable() {
#ifdef ORVE_HAVE_SVG
    return true;
#else
    return false;
#endif
}

void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    // Qt's notes about the environment (no runtime folder, ...) are no
    // concern of a picture; its real failures still reach the terminal.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
    // A picture needs fonts, not a screen: always the offscreen platform.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "orvevizari";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

std::string RenderPlateImage(const plates::PlateMap& map, ImageKind kind, PictureSize picture) {
    EnsureGuiApplication();
    const QSize size(picture.width, picture.height);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const PlatePainter painter(map, size);
    if (kind == ImageKind::Svg) {
#ifdef ORVE_HAVE_SVG
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QString::fromStdString(map.title));
        QPainter p;
        if (!p.begin(&svg)) throw host::Error(kErrImage, "cannot paint an SVG picture");
        painter.Paint(p);
        p.end();
#else
        throw host::Error(kErrImage, "this build cannot write SVG; write a .png file");
#endif
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor::fromRgb(kBackground));
        QPainter p(&image);
        painter.Paint(p);
        p.end();
        // Light compression: the picture is mostly flat colour, and encoding is most of its cost.
        if (!image.save(&buffer, "PNG", 80))
            throw host::Error(kErrImage, "cannot encode the picture as PNG");
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace plateplot
