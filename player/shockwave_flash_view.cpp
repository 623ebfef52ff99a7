// The player control's view: drawing the movie, passing it the mouse and the keyboard, the
// pointer shape, the right-click menu and the message for a movie that cannot be played.
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "player/flash_key_codes.h"
#include "player/shockwave_flash.h"

void ShockwaveFlash::refreshFrame()
{
    if (!hasMovie())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (pixels.isEmpty())
        return;
    if (back_.size() != pixels)
        back_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    back_.setDevicePixelRatio(ratio);
    QElapsedTimer drawing;
    drawing.start();
    engine_->render(back_);
    // A frame is seen about one drawing after its advance: a movie that follows its sound is
    // told so, and shows the frame that will be heard by then.
    drawMs_ = drawMs_ * 0.8 + static_cast<double>(drawing.nsecsElapsed()) / 1e6 * 0.2;
    engine_->setPresentationDelay(drawMs_);
    // Repaint only when the picture changed: a stopped movie costs a comparison a frame.
    if (back_ == frame_)
        return;
    frame_.swap(back_);
    update();
}

void ShockwaveFlash::refreshCursor()
{
    // A widget's cursor shows only while the pointer is over it, so this needs no hit test.
    const bool hand = hasMovie() && engine_->wantsHandCursor();
    if (hand == handCursor_)
        return;
    handCursor_ = hand;
    if (hand)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

QPointF ShockwaveFlash::toStage(QPointF viewPoint) const
{
    return engine_->viewToStage(viewPoint, size());
}

void ShockwaveFlash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (unplayable_) {
        paintUnplayable(painter);
    } else if (hasMovie() && !frame_.isNull()) {
        painter.drawImage(QRectF(rect()), frame_);
    } else {
        // An empty stage is white, the colour a movie without a background colour has.
        painter.fillRect(rect(), Qt::white);
    }
}

void ShockwaveFlash::paintUnplayable(QPainter& painter) const
{
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QRect area = rect().adjusted(16, 16, -16, -16);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

    QFont headlineFont = font();
    headlineFont.setBold(true);
    headlineFont.setPointSizeF(font().pointSizeF() * 1.4);
    const QFontMetrics headlineMetrics(headlineFont);
    const QFontMetrics bodyMetrics(font());
    const QRect headline = headlineMetrics.boundingRect(area, flags, unplayable_->headline);
    const QRect problem = bodyMetrics.boundingRect(area, flags, unplayable_->problem);
    const QRect reason = bodyMetrics.boundingRect(area, flags, unplayable_->reason);
    const int gap = bodyMetrics.height() / 2;
    const int total = headline.height() + gap + problem.height() + gap + reason.height();
    int top = area.top() + std::max(0, (area.height() - total) / 2);

    const auto draw = [&](const QFont& typeface, QColor colour, const QRect& box, const QString& text) {
        painter.setFont(typeface);
        painter.setPen(colour);
        painter.drawText(QRect(area.left(), top, area.width(), box.height()), flags, text);
        top += box.height() + gap;
    };
    const QColor text = palette().color(QPalette::Text);
    draw(headlineFont, text, headline, unplayable_->headline);
    draw(font(), text, problem, unplayable_->problem);
    draw(font(), palette().color(QPalette::PlaceholderText), reason, unplayable_->reason);
}

void ShockwaveFlash::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refreshFrame();
}

void ShockwaveFlash::mouseMoveEvent(QMouseEvent* event)
{
    if (!hasMovie())
        return;
    engine_->mouseMove(toStage(event->position()));
    refreshFrame();
    refreshCursor();
}

void ShockwaveFlash::mousePressEvent(QMouseEvent* event)
{
    // Movies see the left button only; the right one opens the control's menu.
    if (!hasMovie() || event->button() != Qt::LeftButton)
        return;
    engine_->mouseDown(toStage(event->position()));
    refreshFrame();
    refreshCursor();
}

void ShockwaveFlash::mouseReleaseEvent(QMouseEvent* event)
{
    if (!hasMovie() || event->button() != Qt::LeftButton)
        return;
    engine_->mouseUp(toStage(event->position()));
    refreshFrame();
    refreshCursor();
}

void ShockwaveFlash::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (!hasMovie())
        return;
    engine_->mouseLeave();
    refreshFrame();
    refreshCursor();
}

namespace {

char16_t typedCharacter(const QKeyEvent& event)
{
    const QString text = event.text();
    return text.isEmpty() ? u'\0' : text.front().unicode();
}

}  // namespace

void ShockwaveFlash::keyPressEvent(QKeyEvent* event)
{
    const int code = flashKeyCode(event->key(), event->modifiers());
    const char16_t character = typedCharacter(*event);
    if (!hasMovie() || (code == 0 && character == 0)) {
        QWidget::keyPressEvent(event);
        return;
    }
    engine_->keyDown(code, character);
    refreshFrame();
}

void ShockwaveFlash::keyReleaseEvent(QKeyEvent* event)
{
    const int code = flashKeyCode(event->key(), event->modifiers());
    const char16_t character = typedCharacter(*event);
    // A held key repeats its press, as Flash does, but is released once.
    if (!hasMovie() || event->isAutoRepeat() || (code == 0 && character == 0)) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    engine_->keyUp(code, character);
    refreshFrame();
}

std::unique_ptr<QMenu> ShockwaveFlash::createContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const bool movie = hasMovie();

    QAction* play = menu->addAction(QStringLiteral("播放"));
    play->setCheckable(true);
    play->setChecked(movie && engine_->isPlaying());
    play->setEnabled(movie);
    connect(play, &QAction::triggered, this, [this](bool checked) { control(checked ? &MovieEngine::play : &MovieEngine::stop); });

    QAction* loop = menu->addAction(QStringLiteral("循环"));
    loop->setCheckable(true);
    loop->setChecked(engine_ && engine_->loop());
    loop->setEnabled(engine_ != nullptr);
    connect(loop, &QAction::triggered, this, [this](bool checked) {
        if (engine_)
            engine_->setLoop(checked);
    });

    menu->addSeparator();
    const auto addStep = [&](const QString& label, void (MovieEngine::*call)()) {
        QAction* step = menu->addAction(label);
        step->setEnabled(movie);
        connect(step, &QAction::triggered, this, [this, call] { control(call); });
    };
    addStep(QStringLiteral("倒带"), &MovieEngine::rewind);
    addStep(QStringLiteral("前进一帧"), &MovieEngine::forward);
    addStep(QStringLiteral("后退一帧"), &MovieEngine::back);

    menu->addSeparator();
    auto* qualities = new QActionGroup(menu.get());
    qualities->setExclusive(true);
    const auto addQuality = [&](const QString& label, swf::Quality quality) {
        QAction* choice = menu->addAction(label);
        choice->setCheckable(true);
        choice->setChecked(engine_ && engine_->quality() == quality);
        choice->setEnabled(engine_ != nullptr);
        qualities->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, quality] {
            if (!engine_)
                return;
            engine_->setQuality(quality);
            refreshFrame();
        });
    };
    addQuality(QStringLiteral("低品质"), swf::Quality::Low);
    addQuality(QStringLiteral("中品质"), swf::Quality::Medium);
    addQuality(QStringLiteral("高品质"), swf::Quality::High);
    return menu;
}

void ShockwaveFlash::contextMenuEvent(QContextMenuEvent* event)
{
    createContextMenu()->exec(event->globalPos());
}
