// The playback toolbar: its six buttons and Toolbar1_ButtonClick, which plays, steps, stops and
// replays the movie and switches the window between play mode and browse mode.
#include <algorithm>
#include <optional>
#include <vector>

#include <QBitmap>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>

#include "app/form1.h"
#include "app/form1_layout.h"
#include "app/handler_failure.h"
#include "app/image_list.h"
#include "player/shockwave_flash.h"
#include "player/playback_toolbar.h"

namespace {

const char* const kKeyProperty = "Key";

struct ButtonDesign {
    const char* key;
    const char* caption;  // buttons 1 to 3 begin with a blank, as designed
    const char* toolTip;
    int image;            // 1-based index into ImageList1
};

// Left to right, with nothing between them.
constexpr ButtonDesign kButtons[] = {
    {"Start", " 开始", "开始播放", 1},
    {"back", " 前一帧", "前一帧", 2},
    {"forward", " 后一帧", "后一帧", 3},
    {"stop", "暂停", "暂停", 4},
    {"restart", "重播", "重播", 6},
    {"browse", "浏览文件", "浏览文件", 5},
};

constexpr QSize kButtonSize{55, 46};

enum class Mode { Play, Browse };

// One row of the click dispatch: the player's calls, in order, then the window's mode.
struct ClickRow {
    const char* key;
    std::vector<void (ShockwaveFlash::*)()> playerCalls;
    std::optional<Mode> mode;
};

const std::vector<ClickRow>& clickTable()
{
    static const std::vector<ClickRow> table{
        {"Start", {&ShockwaveFlash::Play}, Mode::Play},
        {"back", {&ShockwaveFlash::Back}, Mode::Play},
        {"forward", {&ShockwaveFlash::Forward}, std::nullopt},
        {"stop", {&ShockwaveFlash::Stop}, Mode::Play},
        {"browse", {}, Mode::Browse},
        {"restart", {&ShockwaveFlash::Rewind, &ShockwaveFlash::Play}, Mode::Play},
    };
    return table;
}

}  // namespace

QString toolbarButtonKey(const QToolButton* button)
{
    if (!button)
        throw ViewerError(QStringLiteral("没有被按下的按钮"));
    const QVariant key = button->property(kKeyProperty);
    if (key.typeId() != QMetaType::QString)
        throw ViewerError(QStringLiteral("按钮没有键值"));
    return key.toString();
}

QIcon toolbarIcon(const ImageList& list, int index)
{
    const QPixmap& picture = list.picture(index);
    const QSize cell = list.imageSize();
    if (picture.size() == cell)
        return list.icon(index);

    QPixmap masked = picture;
    masked.setMask(masked.createMaskFromColor(list.maskColour(), Qt::MaskInColor));
    const QImage original = picture.toImage();
    const QColor background = original.pixelColor(0, 0);
    QPixmap fitted(cell);
    fitted.fill(background == list.maskColour() ? QColor(Qt::transparent) : background);
    const double factor = std::min(double(cell.width()) / picture.width(), double(cell.height()) / picture.height());
    const QSize fittedSize(qRound(picture.width() * factor), qRound(picture.height() * factor));
    QPainter painter(&fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(QPoint((cell.width() - fittedSize.width()) / 2, (cell.height() - fittedSize.height()) / 2), fittedSize), masked);
    painter.end();
    return QIcon(fitted);
}

void Form1::createToolbarButtons()
{
    int left = 0;
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        const ButtonDesign& design = kButtons[i];
        auto* button = new QToolButton(Toolbar1);
        button->setProperty(kKeyProperty, QString::fromUtf8(design.key));
        button->setText(QString::fromUtf8(design.caption));
        button->setToolTip(QString::fromUtf8(design.toolTip));
        button->setIcon(toolbarIcon(*ImageList1, design.image));
        button->setIconSize(ImageList1->imageSize());
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        // The toolbar is one stop in the focus order, as the window designs it.
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(QRect(QPoint(left, (Toolbar1->height() - kButtonSize.height()) / 2), kButtonSize));
        left += kButtonSize.width();
        toolbarButtons[i] = button;
    }
}

void Form1::Toolbar1_ButtonClick(QToolButton* Button)
{
    // Skip-on-failure throughout: a step that fails is abandoned and the next one runs. A key
    // that cannot be read counts as empty and matches nothing.
    QString key;
    skipOnFailure([&] { key = toolbarButtonKey(Button); });

    for (const ClickRow& row : clickTable()) {
        if (key != QLatin1String(row.key))
            continue;
        // The step holds the player and the call by value: GCC 12 with the address and
        // undefined-behaviour sanitizers built the by-reference form to read `this` from a
        // stack slot it never wrote.
        for (const auto call : row.playerCalls)
            skipOnFailure([player = ShockwaveFlash1, call] { (player->*call)(); });
        if (row.mode) {
            const int width = *row.mode == Mode::Play ? form1_layout::kPlayWidth : form1_layout::kBrowseWidth;
            skipOnFailure([&] { setWidth(width); });
            skipOnFailure([&] { setHeight(form1_layout::kModeHeight); });
        }
        return;  // the first match ends the handler
    }
}
