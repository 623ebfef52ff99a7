#include "app/handler_failure.h"

QString failureMessage(const std::exception& failure)
{
    const QString text = QString::fromUtf8(failure.what());
    return text.isEmpty() ? QStringLiteral("未知错误") : text;
}
