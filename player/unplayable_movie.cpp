#include "player/unplayable_movie.h"

namespace {

const QString kHeadline = QStringLiteral("无法播放此动画");

QString problemOf(swf::LoadError::Kind kind)
{
    using Kind = swf::LoadError::Kind;
    switch (kind) {
    case Kind::Io: return QStringLiteral("文件不存在或无法读取。");
    case Kind::NotSwf: return QStringLiteral("这不是 Flash 动画文件。");
    case Kind::Truncated: return QStringLiteral("动画文件不完整。");
    case Kind::Corrupt: return QStringLiteral("动画文件已损坏。");
    case Kind::TooLarge: return QStringLiteral("动画超出了播放器的限制。");
    case Kind::Unsupported: return QStringLiteral("不支持使用 ActionScript 3 的动画。");
    }
    return QStringLiteral("动画无法加载。");
}

}  // namespace

UnplayableMovie describeLoadFailure(const swf::LoadError& failure)
{
    QString reason = QString::fromUtf8(failure.what());
    if (failure.offset() >= 0)
        reason += QStringLiteral("（位置 %1）").arg(failure.offset());
    return {kHeadline, problemOf(failure.kind()), reason};
}

UnplayableMovie describeLoadFailure(const std::exception& failure)
{
    return {kHeadline, QStringLiteral("加载动画时出错。"), QString::fromUtf8(failure.what())};
}

UnplayableMovie describeMissingEngine()
{
    return {kHeadline, QStringLiteral("没有可用的播放引擎。"), QStringLiteral("no movie engine is attached to the player")};
}
