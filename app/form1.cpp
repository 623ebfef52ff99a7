// Form1's construction: its controls as designed, their stacking, the focus order, and the
// wiring of control events to the window's handlers.
#include "app/form1.h"

#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "app/form1_layout.h"
#include "app/credits.h"
#include "app/handler_failure.h"
#include "app/image_control.h"
#include "app/image_list.h"
#include "app/label.h"
#include "app/picture_box.h"
#include "app/system_colours.h"
#include "app/twips.h"
#include "player/dir_list_box.h"
#include "player/drive_list_box.h"
#include "player/file_list_box.h"
#include "player/shockwave_flash.h"

namespace {

void place(QWidget* control, const form1_layout::Placement& at)
{
    control->setGeometry(twips::toPixels(at.left, at.top, at.width, at.height));
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Vantoro V2.1 (请投我一票)"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, system_colours::face(colours));
    setPalette(colours);
    setFixedSize(twips::toPixels(form1_layout::kDesignClientWidth), twips::toPixels(form1_layout::kDesignClientHeight));

    createControls();
    setPictures();
    createToolbarButtons();
    stackControls();
    orderFocus();
    startChooser();
    connectHandlers();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    using namespace form1_layout;

    Toolbar1 = new QToolBar(this);
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setFocusPolicy(Qt::TabFocus);
    Toolbar1->setAutoFillBackground(true);  // opaque, so that it covers Image2(1) to Image2(4)
    place(Toolbar1, kToolbar1);

    Picture1 = new PictureBox(Toolbar1);
    Picture1->setToolTip(QStringLiteral("首届全国优秀共享软件及自由软件评选活动"));
    place(Picture1, kPicture1);

    Timer1 = new Timer(this);  // enabled, no interval: silent until Form_Load gives it one

    const auto makeButton = [this](const QString& caption, const Placement& at) {
        auto* button = new QPushButton(caption, this);
        place(button, at);
        return button;
    };
    Command4 = makeButton(QStringLiteral("闪客帝国"), kCommand4);
    Command3 = makeButton(QStringLiteral("Flash图库"), kCommand3);
    Command2 = makeButton(QStringLiteral("天极网"), kCommand2);
    Command1 = makeButton(QStringLiteral("网易"), kCommand1);

    File1 = new FileListBox(this);
    File1->setPattern(QStringLiteral("*.swf"));
    place(File1, kFile1);
    Dir1 = new DirListBox(this);
    place(Dir1, kDir1);
    Drive1 = new DriveListBox(this);
    place(Drive1, kDrive1);

    ShockwaveFlash1 = new ShockwaveFlash(this);
    place(ShockwaveFlash1, kShockwaveFlash1);

    for (std::size_t i = 0; i < Image2.size(); ++i) {
        Image2[i] = new ImageControl(this);
        place(Image2[i], kImage2[i]);
    }
    Image2[0]->hide();

    Image1 = new ImageControl(this);
    Image1->setStretch(true);
    Image1->setToolTip(QStringLiteral("真我的风采"));
    place(Image1, kImage1);

    const auto makeLabel = [this](const QString& text, const Placement& at) {
        auto* label = new Label(text, this);
        place(label, at);
        return label;
    };
    lblweb = makeLabel(QStringLiteral("网络资源"), kLblweb);
    lblweb->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto* credit = makeLabel(credits::creditLine(), kLblRight);
    QPalette creditColours = credit->palette();
    creditColours.setColor(QPalette::Window, system_colours::activeBorder(creditColours));
    creditColours.setColor(QPalette::WindowText, QColor(255, 0, 0));
    credit->setPalette(creditColours);
    connect(credit, &Label::clicked, this, [this] { runHandler([this] { lblRight_Click(); }); });
    lblRight = credit;
    lblFilelist = makeLabel(QStringLiteral("当前文件列表"), kLblFilelist);
    lblPath = makeLabel(QStringLiteral("当前路径"), kLblPath);
    lblDrive = makeLabel(QStringLiteral("当前驱动器"), kLblDrive);
    lblFilename = makeLabel(QString(), kLblFilename);

    ImageList1 = new ImageList(this);
    ImageList1->setImageSize(QSize(26, 26));
    ImageList1->setMaskColour(QColor(192, 192, 192));
}

void Form1::stackControls()
{
    // Front to back. The native controls (toolbar, buttons, lists, player) come first and so
    // cover the images and labels drawn on the window's surface wherever they overlap.
    const std::initializer_list<QWidget*> frontToBack{
        Toolbar1, Command4, Command3, Command2, Command1, File1, Dir1, Drive1, ShockwaveFlash1,
        Image2[4], Image2[3], Image2[2], Image2[1], Image2[0], Image1,
        lblweb, lblRight, lblFilelist, lblPath, lblDrive, lblFilename,
    };
    for (auto control = std::rbegin(frontToBack); control != std::rend(frontToBack); ++control)
        (*control)->raise();
}

void Form1::orderFocus()
{
    // The labels and images take no focus; the hidden player is passed over by Qt itself.
    const std::initializer_list<QWidget*> chain{
        ShockwaveFlash1, Toolbar1, Drive1, Dir1, File1, Command1, Command2, Command3, Command4, Picture1,
    };
    for (auto next = std::next(chain.begin()); next != chain.end(); ++next)
        setTabOrder(*std::prev(next), *next);
}

void Form1::connectHandlers()
{
    const auto handle = [this](auto handler) { return [this, handler] { runHandler([this, handler] { (this->*handler)(); }); }; };
    connect(Timer1, &QTimer::timeout, this, handle(&Form1::Timer1_Timer));
    connect(Picture1, &PictureBox::clicked, this, handle(&Form1::Picture1_Click));
    connect(Command1, &QPushButton::clicked, this, handle(&Form1::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, handle(&Form1::Command2_Click));
    connect(Command3, &QPushButton::clicked, this, handle(&Form1::Command3_Click));
    connect(Command4, &QPushButton::clicked, this, handle(&Form1::Command4_Click));
    connect(Drive1, &DriveListBox::changed, this, handle(&Form1::Drive1_Change));
    connect(Dir1, &DirListBox::changed, this, handle(&Form1::Dir1_Change));
    connect(Dir1, &DirListBox::openFailed, this, &Form1::reportFailure);
    connect(File1, &FileListBox::clicked, this, handle(&Form1::File1_Click));
    for (QToolButton* button : toolbarButtons)
        connect(button, &QToolButton::clicked, this, [this, button] { runHandler([this, button] { Toolbar1_ButtonClick(button); }); });
}

void Form1::setFailureReporter(FailureReporter reporter)
{
    reporter_ = std::move(reporter);
}

void Form1::reportFailure(const QString& message)
{
    if (reporter_)
        reporter_(message);
    else
        QMessageBox::critical(this, QStringLiteral("Vantoro"), message);
}

void Form1::runHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& failure) {
        reportFailure(failureMessage(failure));
    } catch (...) {
        reportFailure(QStringLiteral("未知错误"));
    }
}
