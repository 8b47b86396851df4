#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The one way the program asks the user something or tells them something: message boxes, input
// boxes and the folder picker. The window builds a Qt implementation; tests answer through a
// scripted one, so every message can be read word for word.

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgResult { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box; returns the button the user pressed (closing the box counts as the
    // cancel button where there is one, else the only one).
    virtual MsgResult messageBox(const QString& text, MsgIcon icon, MsgButtons buttons,
                                 const QString& title) = 0;

    // A modal input box; std::nullopt when the user cancels.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;

    // A modal folder picker that starts at initialFolder and stays below rootFolder when one is
    // given; an empty string when the user cancels.
    virtual QString browseForFolder(const QString& caption, const QString& initialFolder,
                                    const QString& rootFolder) = 0;

    virtual void beep() = 0;

    // A modal box with buttons of the caller's own words; the index of the button pressed (the
    // last one, which should be the cancel, when the box is closed).
    virtual int choose(const QString& text, MsgIcon icon, const QStringList& buttons,
                       const QString& title) = 0;

    // A modal input box whose typing is not shown (a password); std::nullopt when cancelled.
    // Where nothing is on a screen it is an ordinary input box.
    virtual std::optional<QString> passwordBox(const QString& prompt, const QString& title) {
        return inputBox(prompt, title, QString());
    }

    // Shorthand for the common case: OK only, under the program's title.
    MsgResult message(const QString& text, MsgIcon icon);
};

// The button a box answers with when nobody presses one: its first button.
MsgResult defaultResultFor(MsgButtons buttons);
