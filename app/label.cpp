#include "app/label.h"

#include "app/system_colours.h"

Label::Label(const QString& text, QWidget* parent) : QLabel(parent)
{
    // Plain text: lblFilename shows file paths, which must never be read as markup.
    setTextFormat(Qt::PlainText);
    setText(text);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, system_colours::face(colours));
    colours.setColor(QPalette::WindowText, system_colours::buttonText(colours));
    setPalette(colours);
}

void Label::mousePressEvent(QMouseEvent* event)
{
    clicks_.press(*event);
    QLabel::mousePressEvent(event);
}

void Label::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = clicks_.release(*event, rect());
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
