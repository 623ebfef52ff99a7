// The player control with a scripted engine: its automation interface, its settings, the beat
// that runs the movie, drawing, input, the menu, URL requests and movies that cannot be played.
#include <QActionGroup>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include "app/handler_failure.h"
#include "app/qstring_printer.h"
#include "banner/url_catcher.h"
#include "fake_engine.h"
#include "player/flash_key_codes.h"
#include "player/frame_clock.h"
#include "player/shockwave_flash.h"

namespace {

class PlayerControl : public ::testing::Test {
protected:
    PlayerControl()
    {
        auto owned = std::make_unique<FakeEngine>();
        engine = owned.get();
        control.resize(400, 200);
        control.setEngine(std::move(owned));
    }

    void showControl()
    {
        control.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    }

    QRgb shownColour() const { return control.shownFrame().pixel(0, 0); }

    ShockwaveFlash control;
    FakeEngine* engine = nullptr;  // owned by the control
};

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

QAction* actionNamed(QMenu& menu, const char* text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == QString::fromUtf8(text))
            return action;
    }
    ADD_FAILURE() << "no menu entry " << text;
    return nullptr;
}

TEST_F(PlayerControl, GivesItsEngineTheDesignedSettings)
{
    EXPECT_TRUE(engine->autoPlay);
    EXPECT_TRUE(engine->looping);
    EXPECT_EQ(engine->chosenQuality, swf::Quality::High);
    EXPECT_EQ(engine->scaleMode, swf::ScaleMode::ShowAll);
}

TEST_F(PlayerControl, DispatchIdsReachTheEngine)
{
    control.putProperty(102, QStringLiteral("/movies/a.swf"));
    ASSERT_EQ(engine->loads, std::vector<QString>{QStringLiteral("/movies/a.swf")});
    EXPECT_TRUE(engine->playing);  // a loaded movie starts at once

    control.invoke(113, {});
    EXPECT_FALSE(engine->playing);
    control.invoke(115, {});
    control.invoke(115, {});
    EXPECT_EQ(engine->frame, 3);
    control.invoke(114, {});
    EXPECT_EQ(engine->frame, 2);
    control.invoke(112, {});
    EXPECT_TRUE(engine->playing);
    control.invoke(116, {});
    EXPECT_EQ(engine->frame, 1);
    EXPECT_FALSE(engine->playing);

    // Playing takes automation booleans: -1 (or any number but 0) and bools.
    control.putProperty(125, -1);
    EXPECT_TRUE(engine->playing);
    control.putProperty(125, 0);
    EXPECT_FALSE(engine->playing);
    control.putProperty(125, true);
    EXPECT_TRUE(engine->playing);
}

TEST_F(PlayerControl, RejectsUnknownMembersAndWrongArguments)
{
    control.putProperty(102, QStringLiteral("a.swf"));
    EXPECT_THROW(control.putProperty(125, QStringLiteral("yes")), ViewerError);
    EXPECT_THROW(control.putProperty(102, 7), ViewerError);
    EXPECT_THROW(control.putProperty(112, -1), ViewerError);  // a method, not a property
    EXPECT_THROW(control.putProperty(999, -1), ViewerError);
    EXPECT_THROW(control.invoke(125, {}), ViewerError);  // a property, not a method
    EXPECT_THROW(control.invoke(112, {1}), ViewerError);
    EXPECT_THROW(control.invoke(0, {}), ViewerError);
    EXPECT_EQ(engine->loads.size(), 1u);  // nothing was loaded again
}

TEST_F(PlayerControl, CallsWithoutAMovieShowNothing)
{
    showControl();
    for (int dispid : {112, 113, 114, 115, 116})
        control.invoke(dispid, {});
    control.putProperty(125, -1);
    EXPECT_FALSE(engine->playing);
    EXPECT_EQ(engine->frame, 0);
    EXPECT_EQ(engine->renders, 0);
    EXPECT_TRUE(control.shownFrame().isNull());
    const QImage shown = control.grab().toImage();
    EXPECT_EQ(shown.pixelColor(200, 100), QColor(Qt::white));

    // Nor does anything happen with no engine at all, except for a movie, which it cannot play.
    ShockwaveFlash bare;
    bare.setEngine(nullptr);
    for (int dispid : {112, 113, 114, 115, 116})
        EXPECT_NO_THROW(bare.invoke(dispid, {}));
    bare.putProperty(102, QStringLiteral("a.swf"));
    ASSERT_TRUE(bare.unplayable());
    EXPECT_EQ(bare.unplayable()->headline, QStringLiteral("无法播放此动画"));
}

TEST_F(PlayerControl, BeatRunsTheMovieAtItsFrameRateAndRepaintsOnlyChangedFrames)
{
    showControl();
    engine->intervalMs = 20;
    control.putProperty(102, QStringLiteral("a.swf"));
    EXPECT_EQ(shownColour(), FakeEngine::colourOf(1));  // the first frame shows at once

    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->advances.size() >= 3; }, 2000));
    // The beats keep to a grid of 20 ms from the load: the k-th comes no sooner than k x 20 ms
    // (a late beat may be followed by a shorter gap, never by a burst).
    double sinceLoad = 0;
    for (std::size_t k = 0; k < engine->advances.size(); ++k) {
        sinceLoad += engine->advances[k];
        EXPECT_GE(sinceLoad, 20.0 * static_cast<double>(k + 1) - 1) << "beat " << k;
    }
    EXPECT_EQ(shownColour(), FakeEngine::colourOf(engine->frame));

    // Stopped, the engine keeps getting its time, but an unchanged frame is not painted again.
    control.invoke(113, {});
    QCoreApplication::processEvents();  // the last frame's paint
    PaintCounter paints(&control);
    const std::size_t before = engine->advances.size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->advances.size() >= before + 3; }, 2000));
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 0);

    control.invoke(115, {});  // a step shows without waiting for the beat
    EXPECT_EQ(shownColour(), FakeEngine::colourOf(engine->frame));
    ASSERT_TRUE(QTest::qWaitFor([&] { return paints.count > 0; }, 1000));
}

TEST(FrameClock, ALateBeatReportsTheWholeDelayOnceInsteadOfCatchingUp)
{
    FrameClock clock;
    std::vector<double> beats;
    QObject::connect(&clock, &FrameClock::beat, [&](double ms) { beats.push_back(ms); });
    clock.start(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !beats.empty(); }, 1000));

    QThread::msleep(150);  // the event loop is held up for seven frames
    beats.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return beats.size() >= 3; }, 1000));
    // One beat reports the whole delay; the beat then goes on at its interval, without a burst
    // of beats to catch up (a burst would show as beats only a moment apart).
    EXPECT_GE(beats[0], 150.0);
    EXPECT_GE(beats[1], 19.0);
    EXPECT_GE(beats[1] + beats[2], 39.0);

    clock.stop();
    beats.clear();
    QTest::qWait(50);
    EXPECT_TRUE(beats.empty());
}

TEST(FrameClock, KeepsFrameRatesWithinUsefulBounds)
{
    EXPECT_DOUBLE_EQ(FrameClock::clampInterval(1000.0 / 12), 1000.0 / 12);
    EXPECT_DOUBLE_EQ(FrameClock::clampInterval(0), 1000.0 / 120);  // rate 0: as fast as is useful
    EXPECT_DOUBLE_EQ(FrameClock::clampInterval(std::numeric_limits<double>::infinity()), 1000.0 / 120);
    EXPECT_DOUBLE_EQ(FrameClock::clampInterval(60000), 1000.0);
}

TEST_F(PlayerControl, MouseReachesTheMovieInStageCoordinates)
{
    showControl();
    control.putProperty(102, QStringLiteral("a.swf"));
    QTest::mouseMove(&control, QPoint(100, 50));
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(300, 150));
    // The right button is the menu's, not the movie's. (Sent straight to the control: through
    // the window it would open the menu and wait for a choice.)
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent right(type, QPointF(10, 10), control.mapToGlobal(QPointF(10, 10)), Qt::RightButton,
                          type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&control, &right);
    }

    std::vector<std::pair<std::string, QPointF>> seen;
    for (const auto& e : engine->input) {
        if (std::string(e.what) != "move")
            seen.emplace_back(e.what, e.at);
    }
    const std::vector<std::pair<std::string, QPointF>> expected{{"down", {100, 50}}, {"up", {150, 75}}};
    EXPECT_EQ(seen, expected);
    ASSERT_FALSE(engine->input.empty());
    EXPECT_EQ(engine->input.front().at, QPointF(50, 25));

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&control, &leave);
    EXPECT_STREQ(engine->input.back().what, "leave");
}

TEST_F(PlayerControl, PointerTurnsToAHandWhereTheMovieWantsIt)
{
    showControl();
    control.putProperty(102, QStringLiteral("a.swf"));
    engine->hand = true;
    QTest::mouseMove(&control, QPoint(20, 20));
    EXPECT_EQ(control.cursor().shape(), Qt::PointingHandCursor);
    engine->hand = false;
    QTest::mouseMove(&control, QPoint(30, 20));
    EXPECT_EQ(control.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PlayerControl, KeysReachTheMovieAsFlashKeyCodes)
{
    showControl();
    control.putProperty(102, QStringLiteral("a.swf"));
    QTest::keyClick(&control, Qt::Key_Left);
    QTest::keyClick(&control, Qt::Key_A, Qt::NoModifier);
    QTest::keyClick(&control, Qt::Key_Space);
    ASSERT_EQ(engine->keys.size(), 6u);
    EXPECT_TRUE(engine->keys[0].down);
    EXPECT_EQ(engine->keys[0].code, 37);
    EXPECT_FALSE(engine->keys[1].down);
    EXPECT_EQ(engine->keys[1].code, 37);
    EXPECT_EQ(engine->keys[2].code, 65);
    EXPECT_EQ(engine->keys[2].character, u'a');
    EXPECT_EQ(engine->keys[4].code, 32);
    EXPECT_EQ(engine->keys[4].character, u' ');
}

TEST(FlashKeyCodes, FollowTheVirtualKeyNumbering)
{
    const Qt::KeyboardModifiers none;
    EXPECT_EQ(flashKeyCode(Qt::Key_Z, Qt::ShiftModifier), 90);
    EXPECT_EQ(flashKeyCode(Qt::Key_7, none), 55);
    EXPECT_EQ(flashKeyCode(Qt::Key_7, Qt::KeypadModifier), 103);  // the number pad's own codes
    EXPECT_EQ(flashKeyCode(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(flashKeyCode(Qt::Key_Minus, none), 189);
    EXPECT_EQ(flashKeyCode(Qt::Key_Exclam, Qt::ShiftModifier), 49);  // shifted digits keep their code
    EXPECT_EQ(flashKeyCode(Qt::Key_Down, none), 40);
    EXPECT_EQ(flashKeyCode(Qt::Key_F12, none), 123);
    EXPECT_EQ(flashKeyCode(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(flashKeyCode(Qt::Key_F13, none), 0);
}

TEST_F(PlayerControl, UrlRequestsGoToTheDesktopOnlyForWebAndMail)
{
    UrlCatcher catcher;
    ASSERT_TRUE(engine->urlHandler);
    engine->urlHandler("http://www.example.com/page?a=1", "_blank");
    engine->urlHandler("mailto:someone@example.com", "");
    engine->urlHandler("file:///etc/passwd", "_self");
    engine->urlHandler("javascript:alert(1)", "");
    const QList<QUrl> expected{QUrl(QStringLiteral("http://www.example.com/page?a=1")),
                               QUrl(QStringLiteral("mailto:someone@example.com"))};
    EXPECT_EQ(catcher.opened, expected);
}

TEST_F(PlayerControl, MenuFollowsAndDrivesThePlayer)
{
    {
        const std::unique_ptr<QMenu> empty = control.createContextMenu();
        for (const char* entry : {"播放", "倒带", "前进一帧", "后退一帧"})
            EXPECT_FALSE(actionNamed(*empty, entry)->isEnabled()) << entry;
        EXPECT_TRUE(actionNamed(*empty, "高品质")->isChecked());
    }

    control.putProperty(102, QStringLiteral("a.swf"));
    std::unique_ptr<QMenu> menu = control.createContextMenu();
    QAction* play = actionNamed(*menu, "播放");
    EXPECT_TRUE(play->isChecked());
    EXPECT_TRUE(actionNamed(*menu, "循环")->isChecked());
    play->trigger();  // unchecks: stop
    EXPECT_FALSE(engine->playing);

    actionNamed(*menu, "前进一帧")->trigger();
    actionNamed(*menu, "前进一帧")->trigger();
    EXPECT_EQ(engine->frame, 3);
    actionNamed(*menu, "后退一帧")->trigger();
    EXPECT_EQ(engine->frame, 2);
    EXPECT_EQ(shownColour(), FakeEngine::colourOf(2));
    actionNamed(*menu, "倒带")->trigger();
    EXPECT_EQ(engine->frame, 1);
    actionNamed(*menu, "循环")->trigger();
    EXPECT_FALSE(engine->looping);

    actionNamed(*menu, "低品质")->trigger();
    EXPECT_EQ(engine->chosenQuality, swf::Quality::Low);
    EXPECT_FALSE(actionNamed(*menu, "高品质")->isChecked());

    menu = control.createContextMenu();
    EXPECT_FALSE(actionNamed(*menu, "播放")->isChecked());
    EXPECT_FALSE(actionNamed(*menu, "循环")->isChecked());
    EXPECT_TRUE(actionNamed(*menu, "低品质")->isChecked());
    actionNamed(*menu, "播放")->trigger();
    EXPECT_TRUE(engine->playing);
}

TEST_F(PlayerControl, MovieThatCannotBePlayedLeavesAMessageUntilTheNextGoodOne)
{
    showControl();
    engine->damaged.insert(QStringLiteral("broken.swf"));
    control.putProperty(102, QStringLiteral("good.swf"));
    EXPECT_NO_THROW(control.putProperty(102, QStringLiteral("broken.swf")));
    ASSERT_TRUE(control.unplayable());
    EXPECT_EQ(control.unplayable()->text(),
              QStringLiteral("无法播放此动画\n动画文件已损坏。\nshape record runs past its tag（位置 1234）"));
    EXPECT_TRUE(control.shownFrame().isNull());

    // The message is drawn: the area is no longer one flat colour.
    const QImage shown = control.grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < shown.height(); y += 2)
        for (int x = 0; x < shown.width(); x += 2)
            colours.insert(shown.pixel(x, y));
    EXPECT_GT(colours.size(), 2u);

    // No frames run for a movie that is not there, and calls change nothing.
    const std::size_t advances = engine->advances.size();
    engine->playing = false;
    control.invoke(112, {});
    QTest::qWait(100);
    EXPECT_EQ(engine->advances.size(), advances);
    EXPECT_FALSE(engine->playing);

    control.putProperty(102, QStringLiteral("good.swf"));
    EXPECT_FALSE(control.unplayable());
    EXPECT_EQ(shownColour(), FakeEngine::colourOf(1));
}

}  // namespace
