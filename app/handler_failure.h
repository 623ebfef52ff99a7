#pragma once
// How the window's event handlers fail. A handler signals a failure by throwing; the window runs
// each handler so that a failure ends that handler at the failing step, is reported to the user,
// and the program goes on (Form1::runHandler). Handlers in skip-on-failure mode run each of their
// steps through skipOnFailure instead, which abandons a failing step without a word.

#include <stdexcept>

#include <QString>

// A failure with a message for the user. what() holds the message in UTF-8.
class ViewerError : public std::runtime_error {
public:
    explicit ViewerError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The text to show for a failure that escaped a handler.
QString failureMessage(const std::exception& failure);

template <class Step>
void skipOnFailure(Step&& step) noexcept
{
    try {
        step();
    } catch (...) {
        // Skip-on-failure: the step is abandoned and the handler goes on.
    }
}
