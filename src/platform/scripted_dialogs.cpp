#include "platform/scripted_dialogs.h"

#include <QFile>

ScriptedDialogs::ScriptedDialogs(QString logFile) : m_logFile(std::move(logFile)) {}

QList<ScriptedDialogs::Call> ScriptedDialogs::messages() const {
    QList<Call> result;
    for (const Call& call : m_calls) {
        if (call.kind == Kind::Message) {
            result.append(call);
        }
    }
    return result;
}

int ScriptedDialogs::beeps() const {
    int count = 0;
    for (const Call& call : m_calls) {
        count += call.kind == Kind::Beep ? 1 : 0;
    }
    return count;
}

MsgResult ScriptedDialogs::messageBox(const QString& text, MsgIcon icon, MsgButtons buttons,
                                      const QString& title) {
    record({Kind::Message, text, title, icon, buttons, {}});
    if (m_messageAnswers.empty()) {
        return defaultResultFor(buttons);
    }
    const MsgResult answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::inputBox(const QString& prompt, const QString& title,
                                                 const QString& defaultText) {
    record({Kind::Input, prompt, title, MsgIcon::None, MsgButtons::OkCancel, defaultText});
    if (m_inputAnswers.empty()) {
        return std::nullopt;
    }
    const InputAnswer answer = m_inputAnswers.front();
    m_inputAnswers.pop_front();
    if (!answer.given) {
        return std::nullopt;
    }
    return answer.text;
}

QString ScriptedDialogs::browseForFolder(const QString& caption, const QString& initialFolder,
                                         const QString& rootFolder) {
    record({Kind::Folder, caption, initialFolder, MsgIcon::None, MsgButtons::OkCancel, rootFolder});
    if (m_folderAnswers.empty()) {
        return {};
    }
    QString answer = std::move(m_folderAnswers.front());
    m_folderAnswers.pop_front();
    return answer;
}

void ScriptedDialogs::beep() {
    record({Kind::Beep, {}, {}, MsgIcon::None, MsgButtons::Ok, {}});
}

int ScriptedDialogs::choose(const QString& text, MsgIcon icon, const QStringList& buttons,
                            const QString& title) {
    record({Kind::Choice, text, title, icon, MsgButtons::Ok, buttons.join(u'|')});
    if (m_choiceAnswers.empty()) {
        return 0;
    }
    const int answer = m_choiceAnswers.front();
    m_choiceAnswers.pop_front();
    return answer;
}

void ScriptedDialogs::record(const Call& call) {
    m_calls.append(call);
    if (m_logFile.isEmpty()) {
        return;
    }
    // One line per call; line breaks inside a text are written as \r and \n so a reader can
    // compare the exact text.
    static const char* const kKinds[] = {"message", "input", "folder", "beep", "choice"};
    auto escaped = [](QString s) {
        return s.replace(QStringLiteral("\\"), QStringLiteral("\\\\"))
            .replace(u'\r', QStringLiteral("\\r"))
            .replace(u'\n', QStringLiteral("\\n"));
    };
    const QString line = QString::fromLatin1(kKinds[static_cast<int>(call.kind)]) + u'\t' +
                         toString(call.icon) + u'\t' + toString(call.buttons) + u'\t' +
                         escaped(call.title) + u'\t' + escaped(call.text) + u'\n';
    QFile file(m_logFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(line.toUtf8());
    }
}

QString toString(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QStringLiteral("none");
        case MsgIcon::Critical:
            return QStringLiteral("critical");
        case MsgIcon::Question:
            return QStringLiteral("question");
        case MsgIcon::Exclamation:
            return QStringLiteral("exclamation");
        case MsgIcon::Information:
            return QStringLiteral("information");
    }
    return {};
}

QString toString(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return QStringLiteral("ok");
        case MsgButtons::OkCancel:
            return QStringLiteral("ok-cancel");
        case MsgButtons::AbortRetryIgnore:
            return QStringLiteral("abort-retry-ignore");
        case MsgButtons::YesNoCancel:
            return QStringLiteral("yes-no-cancel");
        case MsgButtons::YesNo:
            return QStringLiteral("yes-no");
        case MsgButtons::RetryCancel:
            return QStringLiteral("retry-cancel");
    }
    return {};
}
