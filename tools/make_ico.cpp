// Packs square PNG icons into one Windows icon file:
//   make_ico OUT.ico IMAGE.png...
// Sizes up to 48 pixels are stored as 32-bit bitmaps with an AND mask, which every Windows release and
// every program that reads icons understands; larger ones keep their PNG data, which Windows reads from
// Vista on and which keeps the 256-pixel image small.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

namespace {

// The largest size stored as a bitmap: the shell draws these from the bitmaps, and older readers
// (resource editors, some toolkits) know no other kind.
constexpr int LargestBitmap = 48;
// An icon directory entry holds its size in one byte, 0 standing for 256.
constexpr int LargestIcon = 256;

struct Entry {
    int size = 0;
    QByteArray data;
};

void putU8(QByteArray &out, int value) {
    out.append(static_cast<char>(value & 0xff));
}

void putU16(QByteArray &out, std::uint32_t value) {
    putU8(out, static_cast<int>(value & 0xff));
    putU8(out, static_cast<int>((value >> 8) & 0xff));
}

void putU32(QByteArray &out, std::uint32_t value) {
    putU16(out, value & 0xffff);
    putU16(out, (value >> 16) & 0xffff);
}

// A device-independent bitmap as an icon holds it: the header gives twice the height (the colour
// image and the mask below it), the rows run bottom to top, the colours as BGRA with straight alpha,
// then the 1-bit AND mask, each row padded to 32 bits, set where the pixel is fully transparent.
QByteArray bitmapEntry(const QImage &source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskStride = ((size + 31) / 32) * 4;
    const auto colourBytes = static_cast<std::uint32_t>(size * size * 4);
    const auto maskBytes = static_cast<std::uint32_t>(maskStride * size);

    QByteArray out;
    putU32(out, 40); // BITMAPINFOHEADER
    putU32(out, static_cast<std::uint32_t>(size));
    putU32(out, static_cast<std::uint32_t>(2 * size));
    putU16(out, 1);  // planes
    putU16(out, 32); // bits per pixel
    putU32(out, 0);  // BI_RGB
    putU32(out, colourBytes + maskBytes);
    putU32(out, 0); // horizontal resolution
    putU32(out, 0); // vertical resolution
    putU32(out, 0); // colours used
    putU32(out, 0); // colours important

    for (int y = size - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            putU8(out, qBlue(row[x]));
            putU8(out, qGreen(row[x]));
            putU8(out, qRed(row[x]));
            putU8(out, qAlpha(row[x]));
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < size; ++x) {
            if (qAlpha(row[x]) == 0)
                mask[x / 8] = static_cast<char>(mask[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(mask);
    }
    return out;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_ico OUT.ico IMAGE.png...\n");
        return 2;
    }
    std::vector<Entry> entries;
    std::set<int> sizes;
    for (int i = 2; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "make_ico: cannot read %s\n", argv[i]);
            return 1;
        }
        const QByteArray png = file.readAll();
        QImage image;
        if (!png.startsWith("\x89PNG\r\n\x1a\n") || !image.loadFromData(png, "PNG")) {
            std::fprintf(stderr, "make_ico: not a PNG image: %s\n", argv[i]);
            return 1;
        }
        const int size = image.width();
        if (image.height() != size) {
            std::fprintf(stderr, "make_ico: %s is %dx%d, not square\n", argv[i], image.width(),
                         image.height());
            return 1;
        }
        if (size > LargestIcon) {
            std::fprintf(stderr, "make_ico: %s is %d pixels wide, more than an icon's %d\n", argv[i], size,
                         LargestIcon);
            return 1;
        }
        if (!sizes.insert(size).second) {
            std::fprintf(stderr, "make_ico: a second image of %dx%d: %s\n", size, size, argv[i]);
            return 1;
        }
        entries.push_back({size, size <= LargestBitmap ? bitmapEntry(image) : png});
    }
    // Smallest first, the order resource compilers and icon editors write.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.size < b.size; });

    QByteArray out;
    putU16(out, 0); // reserved
    putU16(out, 1); // an icon, not a cursor
    putU16(out, static_cast<std::uint32_t>(entries.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (const Entry &entry : entries) {
        putU8(out, entry.size == LargestIcon ? 0 : entry.size); // width
        putU8(out, entry.size == LargestIcon ? 0 : entry.size); // height
        putU8(out, 0);                                          // no palette
        putU8(out, 0);                                          // reserved
        putU16(out, 1);                                         // planes
        putU16(out, 32);                                        // bits per pixel
        putU32(out, static_cast<std::uint32_t>(entry.data.size()));
        putU32(out, offset);
        offset += static_cast<std::uint32_t>(entry.data.size());
    }
    for (const Entry &entry : entries)
        out.append(entry.data);

    QSaveFile ico(QString::fromLocal8Bit(argv[1]));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(out) != out.size() || !ico.commit()) {
        std::fprintf(stderr, "make_ico: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
