// lum-skin-raster: renders the skin's SVG sources to PNG pictures of their own pixel size, and
// draws a contact sheet of all of them for inspection.
//
//   lum-skin-raster --out-dir DIR [--scale N] [--on-dark] FILE.svg...
//   lum-skin-raster --contact-sheet OUT.png [--scale N] FILE.svg...
//
// Each source is named "<number>-<words>.svg"; its picture is written as "<number>.png". The
// pixel size is the SVG's own width and height. --scale magnifies the finished picture with
// square pixels, so the output shows exactly the pixels the program will draw.

#include <QColor>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

// The main window's background; the pictures are designed to sit on it.
const QColor kWindowBackground(15, 15, 15);

// Warnings of the SVG renderer: each names a construct it ignored (an unresolved link, an
// unknown property), so the picture would differ from its source.
int g_svgWarnings = 0;

void CountingMessageHandler(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
    const bool fromSvg =
        context.category != nullptr && qstrncmp(context.category, "qt.svg", 6) == 0;
    if (fromSvg && type != QtDebugMsg && type != QtInfoMsg) {
        ++g_svgWarnings;
    }
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

struct Picture {
    QString number;
    QString source;
    QImage image;
};

std::optional<QString> PictureNumber(const QString& path) {
    static const QRegularExpression kName(QStringLiteral("^([0-9]+)-[a-z0-9-]+\\.svg$"));
    const QRegularExpressionMatch match = kName.match(QFileInfo(path).fileName());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return match.captured(1);
}

std::optional<QImage> Render(const QString& path) {
    const int warningsBefore = g_svgWarnings;
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a valid SVG\n", qPrintable(path));
        return std::nullopt;
    }
    const QSize size = renderer.defaultSize();
    if (size.isEmpty()) {
        std::fprintf(stderr, "%s: no width and height\n", qPrintable(path));
        return std::nullopt;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), size));
    }
    if (g_svgWarnings != warningsBefore) {
        std::fprintf(stderr, "%s: the renderer ignored part of it (see above)\n", qPrintable(path));
        return std::nullopt;
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage Magnify(const QImage& image, int scale) {
    if (scale == 1) {
        return image;
    }
    return image.scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage OnDark(const QImage& image) {
    QImage out(image.size(), QImage::Format_ARGB32);
    out.fill(kWindowBackground);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    return out;
}

// Lays the pictures out in rows, each above its number, on the window background.
QImage ContactSheet(const std::vector<Picture>& pictures, int scale) {
    constexpr int kMaxWidth = 1500;
    constexpr int kGap = 16;
    constexpr int kLabelHeight = 18;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);

    struct Cell {
        const Picture* picture;
        QRect frame;
    };
    std::vector<Cell> cells;
    int x = kGap;
    int y = kGap;
    int rowHeight = 0;
    int sheetWidth = 0;
    for (const Picture& picture : pictures) {
        const QSize size = picture.image.size() * scale;
        const int width = std::max(size.width(), 72);
        if (x > kGap && x + width > kMaxWidth) {
            x = kGap;
            y += rowHeight + kLabelHeight + kGap;
            rowHeight = 0;
        }
        cells.push_back({&picture, QRect(QPoint(x, y), size)});
        x += width + kGap;
        rowHeight = std::max(rowHeight, size.height());
        sheetWidth = std::max(sheetWidth, x);
    }
    const int sheetHeight = y + rowHeight + kLabelHeight + kGap;

    QImage sheet(sheetWidth, sheetHeight, QImage::Format_ARGB32);
    sheet.fill(kWindowBackground);
    QPainter painter(&sheet);
    painter.setFont(font);
    for (const Cell& cell : cells) {
        // A faint outline shows the picture's bounds, so margins can be judged.
        painter.setPen(QColor(45, 45, 45));
        painter.drawRect(cell.frame.adjusted(-1, -1, 0, 0));
        painter.drawImage(cell.frame.topLeft(), Magnify(cell.picture->image, scale));
        painter.setPen(QColor(170, 170, 170));
        const QString label = QStringLiteral("%1  %2x%3")
                                  .arg(cell.picture->number)
                                  .arg(cell.picture->image.width())
                                  .arg(cell.picture->image.height());
        painter.drawText(QRect(cell.frame.left(), cell.frame.bottom() + 3, 200, kLabelHeight),
                         Qt::AlignLeft | Qt::AlignTop, label);
    }
    return sheet;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: lum-skin-raster --out-dir DIR [--scale N] [--on-dark] FILE.svg...\n"
                 "       lum-skin-raster --contact-sheet OUT.png [--scale N] FILE.svg...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The tool runs during the build, where no display may exist.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    qInstallMessageHandler(CountingMessageHandler);

    QString outDir;
    QString sheetPath;
    int scale = 0;
    bool onDark = false;
    QStringList sources;
    const QStringList args = QGuiApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--out-dir") && hasValue) {
            outDir = args[++i];
        } else if (arg == QLatin1String("--contact-sheet") && hasValue) {
            sheetPath = args[++i];
        } else if (arg == QLatin1String("--scale") && hasValue) {
            bool ok = false;
            scale = args[++i].toInt(&ok);
            if (!ok || scale < 1 || scale > 16) {
                return Usage();
            }
        } else if (arg == QLatin1String("--on-dark")) {
            onDark = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return Usage();
        } else {
            sources.push_back(arg);
        }
    }
    if (outDir.isEmpty() == sheetPath.isEmpty() || sources.isEmpty()) {
        return Usage();
    }

    std::vector<Picture> pictures;
    bool failed = false;
    for (const QString& source : sources) {
        const std::optional<QString> number = PictureNumber(source);
        if (!number) {
            std::fprintf(stderr, "%s: name must be <number>-<words>.svg\n", qPrintable(source));
            failed = true;
            continue;
        }
        const auto duplicate = std::find_if(pictures.begin(), pictures.end(),
                                            [&](const Picture& p) { return p.number == *number; });
        if (duplicate != pictures.end()) {
            std::fprintf(stderr, "%s: number %s is also used by %s\n", qPrintable(source),
                         qPrintable(*number), qPrintable(duplicate->source));
            failed = true;
            continue;
        }
        std::optional<QImage> image = Render(source);
        if (!image) {
            failed = true;
            continue;
        }
        pictures.push_back({*number, source, std::move(*image)});
    }
    if (failed) {
        return 1;
    }

    if (!sheetPath.isEmpty()) {
        std::sort(pictures.begin(), pictures.end(), [](const Picture& a, const Picture& b) {
            return a.number.toInt() < b.number.toInt();
        });
        if (!ContactSheet(pictures, scale == 0 ? 2 : scale).save(sheetPath, "PNG")) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(sheetPath));
            return 1;
        }
        return 0;
    }

    for (const Picture& picture : pictures) {
        QImage out = Magnify(picture.image, scale == 0 ? 1 : scale);
        if (onDark) {
            out = OnDark(out);
        }
        const QString path = outDir + QLatin1Char('/') + picture.number + QLatin1String(".png");
        if (!out.save(path, "PNG")) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
