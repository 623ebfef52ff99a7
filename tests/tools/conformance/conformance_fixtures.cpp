#include "conformance_fixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace conformance::testing {

QString writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes)
{
    const QString path = QDir(root).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QImage solidImage(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray rawBytes(const std::vector<int16_t>& interleaved)
{
    QByteArray bytes(static_cast<qsizetype>(interleaved.size() * 2), '\0');
    for (size_t i = 0; i < interleaved.size(); ++i)
        qToLittleEndian<qint16>(interleaved[i], bytes.data() + 2 * i);
    return bytes;
}

QByteArray wavBytes(const std::vector<int16_t>& interleaved, int channels, int sampleRate)
{
    const QByteArray data = rawBytes(interleaved);
    QByteArray out;
    auto u32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); out.append(b, 4); };
    auto u16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); out.append(b, 2); };
    out += "RIFF";
    u32(static_cast<quint32>(36 + data.size()));
    out += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(static_cast<quint16>(channels));
    u32(static_cast<quint32>(sampleRate));
    u32(static_cast<quint32>(sampleRate * channels * 2));
    u16(static_cast<quint16>(channels * 2));
    u16(16);
    out += "data";
    u32(static_cast<quint32>(data.size()));
    return out + data;
}

QString writeFakeSwfcli(const QString& folder, const QStringList& features, bool answersFeatures)
{
    const QString featureAnswer = answersFeatures
        ? QStringLiteral("  printf '%s\\n' %1\n  exit 0\n").arg(features.join(u' '))
        : QStringLiteral("  echo 'unknown command features' >&2\n  exit 2\n");
    const QString script = QStringLiteral(
        "#!/bin/sh\n"
        "if [ \"$1\" = features ]; then\n%1fi\n"
        "movie=\"$2\"\n"
        "echo \"$*\" >> \"$movie.fake-args\"\n"
        "shift 2\n"
        "png=; wav=; at=; trace=\n"
        "while [ $# -gt 0 ]; do\n"
        "  case \"$1\" in\n"
        "    --png) png=\"$2\"; shift 2;;\n"
        "    --wav) wav=\"$2\"; shift 2;;\n"
        "    --at) at=\"$2\"; shift 2;;\n"
        "    --trace) trace=1; shift;;\n"
        "    *) shift;;\n"
        "  esac\n"
        "done\n"
        "[ -f \"$movie.fake-sleep\" ] && exec sleep \"$(cat \"$movie.fake-sleep\")\"\n"
        "[ -n \"$trace\" ] && [ -f \"$movie.fake-trace\" ] && cat \"$movie.fake-trace\"\n"
        "if [ -n \"$png\" ]; then\n"
        "  src=\"$movie.fake-png\"\n"
        "  [ -n \"$at\" ] && [ -f \"$movie.fake-png-$at\" ] && src=\"$movie.fake-png-$at\"\n"
        "  [ -f \"$src\" ] && cp \"$src\" \"$png\"\n"
        "fi\n"
        "[ -n \"$wav\" ] && [ -f \"$movie.fake-wav\" ] && cp \"$movie.fake-wav\" \"$wav\"\n"
        "if [ -f \"$movie.fake-exit\" ]; then echo \"cannot load $movie\" >&2; exit \"$(cat \"$movie.fake-exit\")\"; fi\n"
        "exit 0\n").arg(featureAnswer);
    const QString path = writeFile(folder, QStringLiteral("fake-swfcli"), script.toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList recordedRuns(const QString& movie)
{
    QFile file(movie + QStringLiteral(".fake-args"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace conformance::testing
