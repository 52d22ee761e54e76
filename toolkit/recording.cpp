#include "toolkit/recording.h"

#include <QBuffer>
#include <QDataStream>
#include <QIODevice>
#include <QPainter>

namespace pictures {

namespace {

constexpr quint32 Tag = 0x52454331; // "REC1"

QDataStream &operator<<(QDataStream &out, const Outline &o) {
    return out << o.rect << o.rx << o.ry << o.fill << o.stroke << o.strokeWidth << o.dashes << o.dashOffset;
}

QDataStream &operator>>(QDataStream &in, Outline &o) {
    return in >> o.rect >> o.rx >> o.ry >> o.fill >> o.stroke >> o.strokeWidth >> o.dashes >> o.dashOffset;
}

} // namespace

QByteArray toBytes(const Recording &recording) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << Tag << recording.naturalSize << recording.userSize << quint32(recording.outlines.size());
    for (const Outline &outline : recording.outlines) {
        out << outline;
    }
    out << QByteArray(recording.rest.data(), recording.rest.size());
    return bytes;
}

std::optional<Recording> fromBytes(const QByteArray &bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 tag = 0;
    Recording recording;
    QByteArray commands;
    in >> tag;
    if (tag != Tag) {
        return std::nullopt;
    }
    quint32 outlines = 0;
    in >> recording.naturalSize >> recording.userSize >> outlines;
    // Each outline takes at least eighty bytes: a count beyond what the stream can hold is no recording.
    if (outlines > static_cast<quint64>(bytes.size()) / 80) {
        return std::nullopt;
    }
    recording.outlines.resize(outlines);
    for (Outline &outline : recording.outlines) {
        in >> outline;
    }
    in >> commands;
    if (in.status() != QDataStream::Ok || !in.atEnd() || recording.userSize.isEmpty() ||
        recording.naturalSize.isEmpty()) {
        return std::nullopt;
    }
    QBuffer buffer(&commands);
    if (!commands.isEmpty() && !(buffer.open(QIODevice::ReadOnly) && recording.rest.load(&buffer))) {
        return std::nullopt;
    }
    return recording;
}

void play(QPainter &painter, const Recording &recording, const QRectF &target, bool snap) {
    if (recording.isNull() || target.isEmpty()) {
        return;
    }
    const qreal scaleX = target.width() / recording.userSize.width();
    const qreal scaleY = target.height() / recording.userSize.height();
    painter.save();
    painter.translate(target.topLeft());
    for (const Outline &outline : recording.outlines) {
        paintOutline(painter, outline, scaleX, scaleY, snap);
    }
    painter.scale(scaleX, scaleY);
    painter.drawPicture(0, 0, recording.rest);
    painter.restore();
}

} // namespace pictures
