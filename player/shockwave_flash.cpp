// The player control as a container and as an automation object: its settings, its dispatch
// interface and loading a movie.
#include "player/shockwave_flash.h"

#include "app/handler_failure.h"
#include "banner/shell_open.h"
#include "player/device_sound_output.h"
#include "player/swf_movie_engine.h"

namespace {

QString memberName(int dispid)
{
    switch (dispid) {
    case flash_dispid::Movie: return QStringLiteral("Movie");
    case flash_dispid::Play: return QStringLiteral("Play");
    case flash_dispid::Stop: return QStringLiteral("Stop");
    case flash_dispid::Back: return QStringLiteral("Back");
    case flash_dispid::Forward: return QStringLiteral("Forward");
    case flash_dispid::Rewind: return QStringLiteral("Rewind");
    case flash_dispid::Playing: return QStringLiteral("Playing");
    }
    return QString::number(dispid);
}

// An automation boolean: a bool, or a number that is true unless it is 0 (true is sent as -1).
bool toAutomationBool(int dispid, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
    case QMetaType::Double: case QMetaType::Float:
        return value.toDouble() != 0;
    default:
        throw ViewerError(QStringLiteral("播放器的 %1 属性需要布尔值").arg(memberName(dispid)));
    }
}

}  // namespace

ShockwaveFlash::ShockwaveFlash(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // the movie sees the pointer move, not only drags
    connect(&clock_, &FrameClock::beat, this, &ShockwaveFlash::onBeat);
    sound_ = std::make_unique<DeviceSoundOutput>();
    setEngine(std::make_unique<SwfMovieEngine>());
}

ShockwaveFlash::~ShockwaveFlash()
{
    stopSound();
}

void ShockwaveFlash::stopSound()
{
    if (sound_)
        sound_->stop();
}

void ShockwaveFlash::setSoundOutput(std::unique_ptr<SoundOutput> output)
{
    stopSound();
    sound_ = std::move(output);
}

void ShockwaveFlash::setEngine(std::unique_ptr<MovieEngine> engine)
{
    clock_.stop();
    stopSound();  // before the old engine goes
    unplayable_.reset();
    frame_ = QImage();
    engine_ = std::move(engine);
    if (engine_) {
        engine_->setAutoPlay(true);
        engine_->setLoop(true);
        engine_->setQuality(swf::Quality::High);
        engine_->setScaleMode(swf::ScaleMode::ShowAll);
        // getURL from a movie: the desktop opens it, through the one place that opens URLs and
        // refuses every scheme but http, https and mailto.
        engine_->onUrlRequest([](const std::string& url, const std::string&) { shellOpen(QString::fromStdString(url)); });
    }
    refreshCursor();
    update();
}

void ShockwaveFlash::setDispatchTarget(FlashDispatch* target)
{
    target_ = target ? target : this;
}

void ShockwaveFlash::putProperty(int dispid, const QVariant& value)
{
    switch (dispid) {
    case flash_dispid::Playing:
        control(toAutomationBool(dispid, value) ? &MovieEngine::play : &MovieEngine::stop);
        return;
    case flash_dispid::Movie:
        if (value.typeId() != QMetaType::QString)
            throw ViewerError(QStringLiteral("播放器的 Movie 属性需要文本"));
        loadMovie(value.toString());
        return;
    }
    throw ViewerError(QStringLiteral("播放器没有可写的属性 %1").arg(memberName(dispid)));
}

void ShockwaveFlash::invoke(int dispid, const QVariantList& arguments)
{
    void (MovieEngine::*call)() = nullptr;
    switch (dispid) {
    case flash_dispid::Play: call = &MovieEngine::play; break;
    case flash_dispid::Stop: call = &MovieEngine::stop; break;
    case flash_dispid::Back: call = &MovieEngine::back; break;
    case flash_dispid::Forward: call = &MovieEngine::forward; break;
    case flash_dispid::Rewind: call = &MovieEngine::rewind; break;
    default: throw ViewerError(QStringLiteral("播放器没有方法 %1").arg(memberName(dispid)));
    }
    if (!arguments.isEmpty())
        throw ViewerError(QStringLiteral("播放器的方法 %1 不带参数").arg(memberName(dispid)));
    control(call);
}

void ShockwaveFlash::setPlaying(bool playing)
{
    target_->putProperty(flash_dispid::Playing, QVariant(playing ? kVariantTrue : kVariantFalse));
}

void ShockwaveFlash::setMovie(const QString& path)
{
    target_->putProperty(flash_dispid::Movie, QVariant(path));
}

void ShockwaveFlash::Play() { target_->invoke(flash_dispid::Play, {}); }
void ShockwaveFlash::Stop() { target_->invoke(flash_dispid::Stop, {}); }
void ShockwaveFlash::Back() { target_->invoke(flash_dispid::Back, {}); }
void ShockwaveFlash::Forward() { target_->invoke(flash_dispid::Forward, {}); }
void ShockwaveFlash::Rewind() { target_->invoke(flash_dispid::Rewind, {}); }

void ShockwaveFlash::control(void (MovieEngine::*call)())
{
    // Without a movie a call has nothing to act on and changes nothing that can be seen.
    if (!hasMovie())
        return;
    (engine_.get()->*call)();
    refreshFrame();
}

void ShockwaveFlash::loadMovie(const QString& path)
{
    // A movie that cannot be played is not the caller's failure: the control says so in its
    // own area and the window goes on.
    clock_.stop();
    stopSound();  // what is held of the last movie's sound is not heard over the next one
    unplayable_.reset();
    frame_ = QImage();
    if (!engine_) {
        unplayable_ = describeMissingEngine();
    } else {
        try {
            engine_->load(path);
        } catch (const swf::LoadError& failure) {
            unplayable_ = describeLoadFailure(failure);
        } catch (const std::exception& failure) {
            unplayable_ = describeLoadFailure(failure);
        }
    }
    if (unplayable_ || !hasMovie()) {
        refreshCursor();
        update();
        return;
    }
    if (sound_)
        sound_->start(*engine_);
    clock_.start(engine_->frameIntervalMs());
    refreshFrame();
    refreshCursor();
}

void ShockwaveFlash::onBeat(double elapsedMs)
{
    if (!hasMovie()) {
        clock_.stop();
        stopSound();
        return;
    }
    engine_->advance(elapsedMs);
    refreshFrame();
    refreshCursor();  // what lies under the pointer may have moved
}
