#pragma once
// A timer with the classic Enabled/Interval pair: it ticks only while it is enabled and its
// interval is above zero. A plain QTimer started with interval 0 would fire on every pass of
// the event loop, so this one stays stopped until both conditions hold.

#include <QPropertyNotifier>
#include <QTimer>

class Timer : public QTimer {
    Q_OBJECT

public:
    explicit Timer(QObject* parent = nullptr);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

private:
    // Starts or stops the underlying QTimer to match enabled_ and interval().
    void sync();

    bool enabled_ = true;
    // Follows every interval change, also through a QTimer pointer (QTimer::setInterval is not
    // virtual), so that setting the interval is enough to make an enabled timer tick.
    QPropertyNotifier intervalNotifier_;
};
