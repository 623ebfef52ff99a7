#pragma once
// Form1: the viewer's one window with its 24 controls. The window and its layout live in app/;
// the handlers of the other areas are members too and are defined where their area lives:
//   player/  Drive1_Change, Dir1_Change (folder chooser), File1_Click (movie selection),
//            Toolbar1_ButtonClick (playback toolbar)
//   banner/  Timer1_Timer, ChangeImage, Picture1_Click, Command1_Click .. Command4_Click,
//            lblRight_Click
// Control names are those of the window's design and are kept as they stand.

#include <array>
#include <functional>

#include <QWidget>

#include "app/timer.h"

class QLabel;
class QPushButton;
class QToolBar;
class QToolButton;

class DriveListBox;
class DirListBox;
class FileListBox;
class ImageControl;
class ImageList;
class PictureBox;
class ShockwaveFlash;

class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The window's outer size in twips (frame and title bar included), as the size modes
    // write it: width first, then height. The client area is what Form1 keeps exact: an outer
    // size is the client size plus the designed frame (form1_layout.h), rounded to whole pixels.
    int Width() const;
    int Height() const;
    void setWidth(int twips);
    void setHeight(int twips);
    void applyBrowseMode();
    void applyPlayMode();

    // The load handler: runs once after the controls exist and before the window is shown.
    void Form_Load();

    // Places the window in the middle of the screen's available area.
    void centreOnScreen();

    // Failures. A handler that fails ends at the failing step; runHandler catches what escapes
    // it and reports it, so the program goes on. The reporter shows a message box unless it is
    // replaced (tests replace it to observe reports without blocking).
    using FailureReporter = std::function<void(const QString& message)>;
    void setFailureReporter(FailureReporter reporter);
    void reportFailure(const QString& message);
    void runHandler(const std::function<void()>& handler);

    // Controls, front to back within each layer.
    QToolBar* Toolbar1 = nullptr;
    PictureBox* Picture1 = nullptr;
    Timer* Timer1 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    FileListBox* File1 = nullptr;
    DirListBox* Dir1 = nullptr;
    DriveListBox* Drive1 = nullptr;
    ShockwaveFlash* ShockwaveFlash1 = nullptr;
    std::array<ImageControl*, 5> Image2{};
    ImageControl* Image1 = nullptr;
    QLabel* lblweb = nullptr;
    QLabel* lblRight = nullptr;
    QLabel* lblFilelist = nullptr;
    QLabel* lblPath = nullptr;
    QLabel* lblDrive = nullptr;
    QLabel* lblFilename = nullptr;
    ImageList* ImageList1 = nullptr;
    // Toolbar1's six buttons, left to right (player/).
    std::array<QToolButton*, 6> toolbarButtons{};

    // Folder chooser (player/).
    void Drive1_Change();
    void Dir1_Change();
    // Movie selection (player/).
    void File1_Click();
    // Playback toolbar (player/): called with the clicked button, whose key it reads.
    void Toolbar1_ButtonClick(QToolButton* Button);
    // Banner (banner/).
    void Timer1_Timer();
    void ChangeImage();
    void Picture1_Click();
    // Links (banner/).
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void lblRight_Click();

    // The banner's frame counter: the index of the frame the next tick shows (0 to 4).
    int bannerFrame = 0;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    // Decodes the built-in pictures and sets each on its control (app/form1_pictures.cpp).
    void setPictures();
    // Puts the six playback buttons on the toolbar, with their pictures from ImageList1 (player/).
    void createToolbarButtons();
    void stackControls();
    void orderFocus();
    void connectHandlers();
    // Points the drive, folder and file lists at the process's current folder (player/).
    void startChooser();

    FailureReporter reporter_;
};
