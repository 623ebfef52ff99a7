#include "player/device_sound_output.h"

#include <algorithm>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QTimer>

#include "player/audio_pump.h"

namespace {
Q_LOGGING_CATEGORY(soundLog, "vantoro.sound", QtWarningMsg)

QAudioFormat mixFormat()
{
    QAudioFormat format;
    format.setSampleRate(AudioPump::kSampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}
}  // namespace

// The sink and its pump, on the output's thread: every member function runs there.
class DeviceSoundOutput::Sink : public QObject {
public:
    Sink() : pump_(this), measure_(this)
    {
        measure_.setInterval(kMeasureMs);
        QObject::connect(&measure_, &QTimer::timeout, this, &Sink::measure);
    }

    bool open(const QAudioDevice& device, MovieEngine* engine)
    {
        close();
        const QAudioFormat format = mixFormat();
        if (!device.isFormatSupported(format)) {
            qCInfo(soundLog) << "the sound device does not take 44.1 kHz stereo 16-bit; the movie plays silently";
            return false;
        }
        sink_ = std::make_unique<QAudioSink>(device, format);
        sink_->setBufferSize(format.bytesForDuration(kBufferMs * 1000));
        QAudioSink* sink = sink_.get();
        pump_.resetCount();
        played_ = buffered_ = 0;
        pump_.setHeldFrames([this](std::int64_t given) {
            // What the device has not played by its clock, and at least what waits in the
            // sink's own buffer (as last measured: the sink is not asked while it reads).
            return std::max(given - played_.load(), buffered_.load());
        });
        pump_.attach(engine);
        QObject::connect(sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError) {
                qCInfo(soundLog) << "the sound device failed (" << sink_->error() << "); the movie plays on silently";
                // Not from inside the sink's own signal: it is deleted on closing.
                QMetaObject::invokeMethod(this, &Sink::close, Qt::QueuedConnection);
            }
        });
        if (!pump_.isOpen())
            pump_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        sink->start(&pump_);
        if (sink->error() != QAudio::NoError || sink->state() == QAudio::StoppedState) {
            qCInfo(soundLog) << "the sound device cannot be opened (" << sink->error() << "); the movie plays silently";
            close();
            return false;
        }
        measure_.start();
        playing_ = true;
        return true;
    }

    void measure()
    {
        if (!sink_)
            return;
        played_ = sink_->processedUSecs() * AudioPump::kSampleRate / 1'000'000;
        buffered_ = std::max<qint64>(0, sink_->bufferSize() - sink_->bytesFree()) / AudioPump::kBytesPerFrame;
    }

    void close()
    {
        playing_ = false;
        measure_.stop();
        pump_.attach(nullptr);
        if (sink_) {
            sink_->disconnect(this);
            sink_->stop();
            sink_.reset();
        }
        pump_.setHeldFrames({});
    }

    bool playing() const { return playing_; }

private:
    static constexpr int kMeasureMs = 5;

    AudioPump pump_;
    QTimer measure_;
    std::unique_ptr<QAudioSink> sink_;
    std::atomic<std::int64_t> played_{0};
    std::atomic<std::int64_t> buffered_{0};
    std::atomic<bool> playing_{false};
};

DeviceSoundOutput::DeviceSoundOutput()
{
    thread_.setObjectName(QStringLiteral("sound output"));
}

DeviceSoundOutput::~DeviceSoundOutput()
{
    stop();
    if (thread_.isRunning()) {
        thread_.quit();
        thread_.wait();
    }
}

bool DeviceSoundOutput::deviceAvailable()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

bool DeviceSoundOutput::start(MovieEngine& engine)
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        qCInfo(soundLog) << "no sound device; movies play silently";
        return false;
    }
    if (!sink_) {
        sink_ = new Sink;
        sink_->moveToThread(&thread_);
        QObject::connect(&thread_, &QThread::finished, sink_, &QObject::deleteLater);
        thread_.start();
    }
    bool opened = false;
    QMetaObject::invokeMethod(
        sink_, [&] { opened = sink_->open(device, &engine); }, Qt::BlockingQueuedConnection);
    return opened;
}

void DeviceSoundOutput::stop()
{
    if (!sink_)
        return;
    QMetaObject::invokeMethod(sink_, [this] { sink_->close(); }, Qt::BlockingQueuedConnection);
}

bool DeviceSoundOutput::isPlaying() const
{
    return sink_ && sink_->playing();
}
