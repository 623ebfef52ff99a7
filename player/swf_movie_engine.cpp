#include "player/swf_movie_engine.h"

#include <QFile>
#include <QLoggingCategory>

namespace {
// What a movie traces and the problems that stop only part of it go to this category, quiet
// unless enabled (QT_LOGGING_RULES="vantoro.movie.debug=true").
Q_LOGGING_CATEGORY(movieLog, "vantoro.movie", QtWarningMsg)
}  // namespace

SwfMovieEngine::SwfMovieEngine()
{
    player_.onTrace([](const std::string& text) { qCDebug(movieLog).noquote() << "trace:" << QString::fromStdString(text); });
    player_.onWarning([](const std::string& text) { qCInfo(movieLog).noquote() << QString::fromStdString(text); });
}

SwfMovieEngine::~SwfMovieEngine() = default;

void SwfMovieEngine::load(const QString& path)
{
    // The file system takes names as bytes in the local encoding (UTF-8 on Linux).
    player_.loadFile(QFile::encodeName(path).toStdString());
}

bool SwfMovieEngine::hasMovie() const { return player_.hasMovie(); }
double SwfMovieEngine::frameIntervalMs() const { return player_.frameIntervalMs(); }

void SwfMovieEngine::play() { player_.play(); }
void SwfMovieEngine::stop() { player_.stop(); }
void SwfMovieEngine::back() { player_.back(); }
void SwfMovieEngine::forward() { player_.forward(); }
void SwfMovieEngine::rewind() { player_.rewind(); }
bool SwfMovieEngine::isPlaying() const { return player_.isPlaying(); }

void SwfMovieEngine::setAutoPlay(bool on) { player_.setAutoPlay(on); }
void SwfMovieEngine::setLoop(bool on) { player_.setLoop(on); }
bool SwfMovieEngine::loop() const { return player_.loop(); }
void SwfMovieEngine::setQuality(swf::Quality quality) { player_.setQuality(quality); }
swf::Quality SwfMovieEngine::quality() const { return player_.quality(); }
void SwfMovieEngine::setScaleMode(swf::ScaleMode mode) { player_.setScaleMode(mode); }

void SwfMovieEngine::advance(double milliseconds) { player_.advance(milliseconds); }
void SwfMovieEngine::render(QImage& target) const { player_.render(target); }
QPointF SwfMovieEngine::viewToStage(QPointF viewPoint, QSize viewSize) const
{
    return player_.viewToStage(viewPoint, viewSize);
}

void SwfMovieEngine::mouseMove(QPointF stagePoint) { player_.mouseMove(stagePoint); }
void SwfMovieEngine::mouseDown(QPointF stagePoint) { player_.mouseDown(stagePoint); }
void SwfMovieEngine::mouseUp(QPointF stagePoint) { player_.mouseUp(stagePoint); }
void SwfMovieEngine::mouseLeave() { player_.mouseLeave(); }
void SwfMovieEngine::keyDown(int flashKeyCode, char16_t character) { player_.keyDown(flashKeyCode, character); }
void SwfMovieEngine::keyUp(int flashKeyCode, char16_t character) { player_.keyUp(flashKeyCode, character); }
bool SwfMovieEngine::wantsHandCursor() const { return player_.wantsHandCursor(); }

// The player takes these two from the output's thread (they touch only its mixer).
std::size_t SwfMovieEngine::pullAudio(std::span<std::int16_t> interleavedStereo)
{
    return player_.pullAudio(interleavedStereo);
}
void SwfMovieEngine::setAudioOutputLatency(std::int64_t frames) { player_.setAudioOutputLatency(frames); }
void SwfMovieEngine::setPresentationDelay(double milliseconds) { player_.setPresentationDelay(milliseconds); }

void SwfMovieEngine::onUrlRequest(UrlHandler handler) { player_.onUrlRequest(std::move(handler)); }
