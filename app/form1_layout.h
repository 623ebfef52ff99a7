#pragma once
// Form1's designed geometry in twips: the window's sizes and every control's Left, Top, Width and
// Height. Form1 converts these to pixels through twips.h when it creates its controls.

#include <array>

namespace form1_layout {

struct Placement {
    int left;
    int top;
    int width;
    int height;
};

// The client area as designed, before the load handler sets a mode.
inline constexpr int kDesignClientWidth = 9675;
inline constexpr int kDesignClientHeight = 7350;

// The frame the outer sizes include: a 45-twip border on each side, and the border plus the
// title bar down. Linux window managers draw their own frames, so Form1 keeps the client area
// exact and reports outer sizes as client size plus this frame.
inline constexpr int kFrameWidth = 90;
inline constexpr int kFrameHeight = 450;

// The two size modes, as outer sizes.
inline constexpr int kBrowseWidth = 9765;
inline constexpr int kPlayWidth = 7900;
inline constexpr int kModeHeight = 7800;

inline constexpr Placement kToolbar1{0, 0, 9675, 780};
inline constexpr Placement kPicture1{5280, 120, 1455, 495};  // in Toolbar1
inline constexpr Placement kCommand4{8160, 6840, 1095, 375};
inline constexpr Placement kCommand3{8160, 6240, 1095, 375};
inline constexpr Placement kCommand2{8160, 5640, 1095, 375};
inline constexpr Placement kCommand1{8160, 5040, 1095, 375};
inline constexpr Placement kFile1{7800, 3240, 1815, 1455};
inline constexpr Placement kDir1{7800, 1680, 1695, 1215};
inline constexpr Placement kDrive1{7800, 1080, 1695, 315};
inline constexpr Placement kShockwaveFlash1{120, 840, 7560, 5700};
inline constexpr std::array<Placement, 5> kImage2{{
    {5160, 6720, 1320, 480},
    {0, 0, 1320, 495},
    {0, 0, 1350, 495},
    {0, 0, 1350, 495},
    {0, 0, 1350, 495},
}};
inline constexpr Placement kImage1{120, 840, 7455, 5655};
inline constexpr Placement kLblweb{8160, 4800, 1095, 255};
inline constexpr Placement kLblRight{240, 6960, 4815, 255};
inline constexpr Placement kLblFilelist{7800, 3000, 1695, 255};
inline constexpr Placement kLblPath{7800, 1440, 1695, 255};
inline constexpr Placement kLblDrive{7800, 840, 1695, 255};
inline constexpr Placement kLblFilename{120, 3840, 4815, 375};

}  // namespace form1_layout
