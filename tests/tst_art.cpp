// The shipped icon and help picture: that each is in the exact form its users read, and that
// tools/drawart still draws them byte for byte.

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <gif_lib.h>

#include <array>
#include <cmath>
#include <tuple>

namespace {

QByteArray readArt(const QString& name)
{
    QFile file(QStringLiteral(ART_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 le16(const QByteArray& bytes, int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }
quint32 le32(const QByteArray& bytes, int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

}  // namespace

class TestArt : public QObject {
    Q_OBJECT

private slots:
    void icon();
    void helpPicture();
    void pageIcons();
    void drawartRedrawsTheShippedFiles();
};

void TestArt::icon()
{
    const QByteArray ico = readArt(QStringLiteral("icon.ico"));
    QCOMPARE(ico.size(), 766);
    // one image, 32 × 32, 16 colours, 4 bits a pixel, 744 bytes from offset 22
    QCOMPARE(ico.left(6), QByteArray("\0\0\1\0\1\0", 6));  // reserved, type icon, one image
    QCOMPARE(ico.mid(6, 4), QByteArray("\x20\x20\x10\x00", 4));
    QCOMPARE(le16(ico, 10), 1);
    QCOMPARE(le16(ico, 12), 4);
    QCOMPARE(le32(ico, 14), 744u);
    QCOMPARE(le32(ico, 18), 22u);

    const int dib = 22;
    QCOMPARE(le32(ico, dib), 40u);
    QCOMPARE(le32(ico, dib + 4), 32u);
    QCOMPARE(le32(ico, dib + 8), 64u);  // colour plane and mask together
    QCOMPARE(le16(ico, dib + 12), 1);
    QCOMPARE(le16(ico, dib + 14), 4);
    QCOMPARE(le32(ico, dib + 16), 0u);  // uncompressed

    constexpr std::array<QRgb, 16> vga = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
        0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff,
    };
    for (int i = 0; i < 16; ++i) {
        const int at = dib + 40 + 4 * i;
        QCOMPARE(le32(ico, at), quint32(vga[i]));  // blue, green, red, then a zero byte
    }

    // Decode colour plane and mask (both bottom row first) and hold them against the PNG.
    const int colours = dib + 40 + 64, mask = colours + 512;
    const QImage png(QStringLiteral(ART_DIR "/icon-32.png"));
    QCOMPARE(png.size(), QSize(32, 32));
    int black = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int row = 31 - y;
            const int colour = (quint8(ico[colours + row * 16 + x / 2]) >> (x % 2 ? 0 : 4)) & 0xf;
            const bool transparent = quint8(ico[mask + row * 4 + x / 8]) & (0x80 >> (x % 8));
            QCOMPARE(colour, 0);
            black += !transparent;
            QCOMPARE(png.pixel(x, y), transparent ? 0u : qRgba(0, 0, 0, 255));
        }
    }
    QVERIFY2(black >= 300 && black <= 330, qPrintable(QString::number(black)));

    // The lily is symmetric about the middle of the icon.
    QCOMPARE(png, png.mirrored(true, false));

    // The program file's icon keeps the designed image whole, first, and adds
    // the same lily at the sizes a scaled desktop asks for, each read back as
    // that lily: black, mostly opaque where the designed one is.
    const QByteArray program = readArt(QStringLiteral("program.ico"));
    QCOMPARE(le16(program, 4), 4);
    QCOMPARE(program.mid(6, 16).left(12), ico.mid(6, 12));
    QCOMPARE(program.mid(int(le32(program, 18)), 744), ico.mid(22, 744));
    const QImage designed = png.convertToFormat(QImage::Format_ARGB32);
    QImageReader reader(QStringLiteral(ART_DIR "/program.ico"), "ico");
    QCOMPARE(reader.imageCount(), 4);
    int entry = 0;
    for (int size : {48, 64, 256}) {
        QVERIFY(reader.jumpToImage(++entry));
        const QImage image = reader.read();
        QCOMPARE(image.size(), QSize(size, size));
        const QImage small = image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int differ = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                differ += (qAlpha(small.pixel(x, y)) >= 128) != (qAlpha(designed.pixel(x, y)) == 255);
        QVERIFY2(differ <= 40, qPrintable(QString::number(differ)));
    }
}

void TestArt::helpPicture()
{
    QVERIFY(readArt(QStringLiteral("help.gif")).startsWith("GIF89a"));
    int error = 0;
    GifFileType* gif = DGifOpenFileName(ART_DIR "/help.gif", &error);
    QVERIFY(gif);
    const auto close = qScopeGuard([gif] { DGifCloseFile(gif, nullptr); });
    QCOMPARE(DGifSlurp(gif), GIF_OK);

    const int width = 182, height = 320;
    QCOMPARE(gif->SWidth, width);
    QCOMPARE(gif->SHeight, height);
    QCOMPARE(gif->ImageCount, 1);
    const GifImageDesc& frame = gif->SavedImages[0].ImageDesc;
    QCOMPARE(QRect(frame.Left, frame.Top, frame.Width, frame.Height), QRect(0, 0, width, height));
    QVERIFY(!frame.Interlace);

    // black, white, fifteen greys from 239 down to 15, a white marked transparent, black
    QVERIFY(gif->SColorMap);
    QCOMPARE(gif->SColorMap->ColorCount, 32);
    for (int i = 0; i < 32; ++i) {
        const int grey = i == 1 || i == 17 ? 255 : i >= 2 && i <= 16 ? 255 - 16 * (i - 1) : 0;
        const GifColorType c = gif->SColorMap->Colors[i];
        QCOMPARE(QList<int>({c.Red, c.Green, c.Blue}), QList<int>({grey, grey, grey}));
    }
    GraphicsControlBlock control{};
    QCOMPARE(DGifSavedExtensionToGCB(gif, 0, &control), GIF_OK);
    QCOMPARE(control.TransparentColor, 17);

    const GifByteType* pixels = gif->SavedImages[0].RasterBits;
    const auto at = [&](int x, int y) { return pixels[y * width + x]; };
    int black = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int index = at(x, y);
            QVERIFY2(index <= 16, qPrintable(QStringLiteral("colour %1 at %2,%3").arg(index).arg(x).arg(y)));
            black += index == 0;
            if (index < 2)
                continue;
            // Greys only soften the edges of strokes: each has a differently coloured neighbour.
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (QRect(0, 0, width, height).contains(x + dx, y + dy))
                        edge |= at(x + dx, y + dy) != index;
            QVERIFY2(edge, qPrintable(QStringLiteral("grey inside an area at %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY2(black > width * height / 10, qPrintable(QString::number(black)));

    // The help button is a few pixels shorter than the picture: nothing may be drawn there.
    for (int y : {0, 1, 2, 3, height - 4, height - 3, height - 2, height - 1})
        for (int x = 0; x < width; ++x)
            QCOMPARE(at(x, y), 1);
}

// The icons a home screen takes for the page: the black lily on an opaque grey tile, large and
// whole; the maskable one's lily inside the middle 80 % circle that every launcher's shape keeps.
void TestArt::pageIcons()
{
    const QRgb tile = qRgb(0xc0, 0xc0, 0xc0);
    for (const auto& [name, size, maskable] :
         {std::tuple{"icon-192.png", 192, false}, std::tuple{"icon-512.png", 512, false},
          std::tuple{"icon-maskable-512.png", 512, true}}) {
        const QImage icon = QImage::fromData(readArt(QLatin1String(name)), "PNG");
        QCOMPARE(icon.size(), QSize(size, size));
        QRect lily;  // the box of the black pixels
        int black = 0, elsewhere = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb c = icon.pixel(x, y);
                const qreal dx = x + 0.5 - size / 2.0, dy = y + 0.5 - size / 2.0;
                const bool inCircle = std::hypot(dx, dy) <= 0.4 * size;
                if (c == qRgb(0, 0, 0)) {
                    ++black;
                    lily |= QRect(x, y, 1, 1);
                }
                // A launcher may cut a maskable icon anywhere outside the circle: only tile there.
                if (maskable && !inCircle && c != tile)
                    ++elsewhere;
            }
        QVERIFY2(elsewhere == 0, name);
        QCOMPARE(qAlpha(icon.pixel(0, 0)), maskable ? 255 : 0);  // a plain icon's corners are rounded
        QVERIFY2(QRect(size / 20, size / 20, size * 9 / 10, size * 9 / 10).contains(lily), name);
        QCOMPARE(icon.pixel(size / 2, size / 10), tile);  // above the petal's tip
        QVERIFY2(black > size * size / 8, name);
        QVERIFY2(qAbs(lily.center().x() - size / 2) <= 2 && lily.width() > size / 2, name);
    }
}

void TestArt::drawartRedrawsTheShippedFiles()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcess drawart;
    drawart.start(QStringLiteral(DRAWART), {out.path()});
    QVERIFY(drawart.waitForFinished(60000));
    QCOMPARE(drawart.exitStatus(), QProcess::NormalExit);
    QCOMPARE(drawart.exitCode(), 0);

    for (const char* name : {"icon.ico", "icon-32.png", "icon.svg", "help.gif", "program.ico", "icon-192.png",
                             "icon-512.png", "icon-maskable-512.png"}) {
        QFile fresh(out.filePath(QLatin1String(name)));
        QVERIFY2(fresh.open(QIODevice::ReadOnly), name);
        const QByteArray shipped = readArt(QLatin1String(name));
        QVERIFY2(!shipped.isEmpty(), name);
        QVERIFY2(fresh.readAll() == shipped, name);
    }
}

QTEST_GUILESS_MAIN(TestArt)
#include "tst_art.moc"
