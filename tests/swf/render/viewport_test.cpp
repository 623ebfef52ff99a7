// Stage-to-device mapping for each scale mode, and its inverse for mouse input.

#include <gtest/gtest.h>

#include "swf/render/viewport.h"

namespace swf::render {
namespace {

const Rect kStage{0, 550 * 20, 0, 400 * 20};

TEST(Viewport, ShowAllKeepsProportionsAndCentres)
{
    const Viewport v = fitStage(kStage, QSize(1100, 1000), StageScaleMode::ShowAll);
    // Scale 2 (width limits), 800 px tall, centred vertically: 100 px margins.
    EXPECT_EQ(v.stageRect, QRectF(0, 100, 1100, 800));
    EXPECT_EQ(v.stageToDevice.map(QPointF(550 * 20, 400 * 20)), QPointF(1100, 900));
    const Viewport tall = fitStage(kStage, QSize(275, 400), StageScaleMode::ShowAll);
    EXPECT_EQ(tall.stageRect, QRectF(0, 100, 275, 200));
}

TEST(Viewport, NoBorderExactFitNoScale)
{
    const Viewport nb = fitStage(kStage, QSize(1100, 1000), StageScaleMode::NoBorder);
    EXPECT_EQ(nb.stageRect, QRectF(-137.5, 0, 1375, 1000));  // scale 2.5, width overflows
    const Viewport ef = fitStage(kStage, QSize(1100, 1000), StageScaleMode::ExactFit);
    EXPECT_EQ(ef.stageRect, QRectF(0, 0, 1100, 1000));
    EXPECT_EQ(ef.stageToDevice.map(QPointF(20, 20)), QPointF(2, 2.5));
    const Viewport ns = fitStage(kStage, QSize(650, 500), StageScaleMode::NoScale);
    EXPECT_EQ(ns.stageRect, QRectF(50, 50, 550, 400));
}

TEST(Viewport, InverseMapsDeviceToStagePixelsAndHonoursTheFrameOrigin)
{
    const Rect offset{-2000, 9000, 1000, 9000};  // 550 x 400 px with the origin at (-100, 50) px
    for (StageScaleMode mode :
         {StageScaleMode::ShowAll, StageScaleMode::NoBorder, StageScaleMode::ExactFit, StageScaleMode::NoScale}) {
        const Viewport v = fitStage(offset, QSize(800, 600), mode);
        const QPointF stagePx(123, 77);
        const QPointF device = v.stageToDevice.map(stagePx * 20);
        const QPointF back = v.deviceToStagePixels(device);
        EXPECT_NEAR(back.x(), 123, 1e-9);
        EXPECT_NEAR(back.y(), 77, 1e-9);
    }
    // The frame's top-left corner lands on the stage rectangle's corner.
    const Viewport v = fitStage(offset, QSize(550, 400), StageScaleMode::ShowAll);
    EXPECT_EQ(v.stageToDevice.map(QPointF(-2000, 1000)), QPointF(0, 0));
}

TEST(Viewport, DegenerateSizesStayFinite)
{
    const Viewport v = fitStage(Rect{}, QSize(0, 0), StageScaleMode::ShowAll);
    EXPECT_TRUE(std::isfinite(v.stageToDevice.m11()));
    EXPECT_TRUE(std::isfinite(v.deviceToStagePixels(QPointF(1, 1)).x()));
}

}  // namespace
}  // namespace swf::render
