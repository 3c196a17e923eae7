// Renders the program's SVG icon as a square PNG of one size, at build time, for
// the desktops and docks that only load bitmaps from the hicolor theme. It draws
// with the same renderer as the program, so no other SVG tool is needed.
// usage: render_icon SVG SIZE PNG
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: render_icon SVG SIZE PNG\n";
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    bool sizeRead = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&sizeRead);
    if (!svg.isValid() || !sizeRead || size <= 0) {
        std::cerr << "render_icon: cannot render " << argv[1] << " at size " << argv[2] << '\n';
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        svg.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::cerr << "render_icon: cannot write " << argv[3] << '\n';
        return 1;
    }
    return 0;
}
