#pragma once
// The player's place in the window: a widget over the player area that takes focus like the
// player does. It shows an empty stage until a movie engine is attached to it.

#include <QWidget>

class ShockwaveFlash : public QWidget {
    Q_OBJECT

public:
    explicit ShockwaveFlash(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
