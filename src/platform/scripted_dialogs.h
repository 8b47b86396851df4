#pragma once

#include <QList>
#include <QString>
#include <deque>

#include "platform/dialogs.h"

// Dialogs that nobody sees: every call is recorded and answered from a queue of prepared answers
// (or with the box's first button, a cancelled input box and a cancelled folder picker when the
// queue is empty). Tests read the recorded calls; a process started for a test can also append
// them to a log file.
class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Message, Input, Folder, Beep, Choice };
    struct Call {
        Kind kind = Kind::Message;
        QString text;   // message text, input prompt or picker caption
        QString title;  // title, or the picker's initial folder
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        QString extra;  // the input box's default text, the picker's root, or a choice's buttons
                        // joined by "|"
    };

    explicit ScriptedDialogs(QString logFile = {});

    void answerMessage(MsgResult result) { m_messageAnswers.push_back(result); }
    // The text typed into the next input box, or std::nullopt for a cancel.
    void answerInput(const std::optional<QString>& text) {
        m_inputAnswers.push_back({text.has_value(), text.value_or(QString())});
    }
    void answerFolder(QString path) { m_folderAnswers.push_back(std::move(path)); }
    // The index of the button pressed in the next choice box.
    void answerChoice(int index) { m_choiceAnswers.push_back(index); }

    const QList<Call>& calls() const { return m_calls; }
    QList<Call> messages() const;
    int beeps() const;
    void clear() { m_calls.clear(); }

    MsgResult messageBox(const QString& text, MsgIcon icon, MsgButtons buttons,
                         const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    QString browseForFolder(const QString& caption, const QString& initialFolder,
                            const QString& rootFolder) override;
    void beep() override;
    int choose(const QString& text, MsgIcon icon, const QStringList& buttons,
               const QString& title) override;

private:
    void record(const Call& call);

    QString m_logFile;
    QList<Call> m_calls;
    std::deque<MsgResult> m_messageAnswers;
    struct InputAnswer {
        bool given = false;
        QString text;
    };
    std::deque<InputAnswer> m_inputAnswers;
    std::deque<QString> m_folderAnswers;
    std::deque<int> m_choiceAnswers;
};

QString toString(MsgIcon icon);
QString toString(MsgButtons buttons);
