#include "platform/command_table.h"

#include <QtGlobal>
#include <array>

namespace {

// The program's names, by id.
constexpr std::array<const char16_t*, kCommandCount> kNames = {
    u"",
    u"Listkousin",
    u"GoUpFolder",
    u"GoMydoc",
    u"GoDeskTop",
    u"GoNetWtok",
    u"GoFolder",
    u"GoExp",
    u"GoSearch",
    u"pass",
    u"QuickPathAdd",
    u"QuickPathClear",
    u"QuickPathSet",
    u"TreeViewLine",
    u"TreeViewIcon",
    u"FileView",
    u"SetAllListItemsState",
    u"TreeView1.SetFocus",
    u"ListView1.SetFocus",
    u"DelFile",
    u"MoveFile",
    u"ReFileNameFile",
    u"ReNameFile",
    u"MnuMakeFolder",
    u"MnuMovFolder",
    u"MnuReNameFolder",
    u"MnuDelFolder4",
    u"Undo",
    u"OpenRecycle",
    u"ClsRecycle",
    u"FilePopa",
    u"解凍",
    u"選択解凍",
    u"MnuMoviePlay",
    u"再生",
    u"PlayKey",
    u"MnuMovieStop",
    u"MnuPrevios",
    u"MunNext",
    u"MnuLoop",
    u"MunOpen",
    u"最初から再生",
    u"未再生から再生",
    u"再生の印を消去",
    u"昇順",
    u"降順",
    u"RateOne",
    u"SeekBackward",
    u"SeekForward",
    u"VolumeDown",
    u"VolumeUp",
    u"Dspsize",
    u"Opt(1)",
    u"Opt(2)",
    u"Opt(3)",
    u"Opt(4)",
    u"Opt(6)",
    u"MnuGrid",
    u"MnuIconSet",
    u"ExitQuorvane",
};

}  // namespace

QString commandName(CommandId id) {
    return QString::fromUtf16(kNames.at(static_cast<std::size_t>(id)));
}

Command& Command::caption(const QString& text) {
    m_captions = {text};
    return *this;
}

Command& Command::captions(const QStringList& texts) {
    m_captions = texts;
    return *this;
}

Command& Command::toolTip(const QString& text) {
    m_toolTip = text;
    return *this;
}

Command& Command::shortcut(QKeyCombination key, int element) {
    m_shortcuts.emplace_back(element, key);
    return *this;
}

Command& Command::checked(State isChecked) {
    m_checked = std::move(isChecked);
    return *this;
}

Command& Command::checked(const std::function<bool()>& isChecked) {
    return checked(State([isChecked](int) { return isChecked(); }));
}

QString Command::captionOf(int element) const {
    if (m_captions.size() == 1) {
        return m_captions.front();
    }
    return element >= 0 && element < m_captions.size() ? m_captions.at(element) : QString();
}

QKeyCombination Command::shortcutOf(int element) const {
    for (const auto& [at, key] : m_shortcuts) {
        if (at == element) {
            return key;
        }
    }
    return QKeyCombination::fromCombined(0);
}

Command& CommandTable::add(CommandId id, Handler run) {
    Command& slot = m_commands.at(static_cast<std::size_t>(id));
    Q_ASSERT_X(!slot.m_run, "CommandTable::add", "a command is registered once");
    slot.m_run = std::move(run);
    return slot;
}

Command& CommandTable::add(CommandId id, const std::function<void()>& run) {
    return add(id, Handler([run](int) { run(); }));
}

bool CommandTable::has(CommandId id) const {
    return static_cast<bool>(command(id).m_run);
}

const Command& CommandTable::command(CommandId id) const {
    return m_commands.at(static_cast<std::size_t>(id));
}

void CommandTable::run(CommandRef ref) const {
    const Handler& handler = command(ref.id).m_run;
    if (!handler) {
        return;
    }
    try {
        handler(ref.index);
    } catch (const std::exception& error) {
        if (m_onError) {
            m_onError(error);
        }
    }
    if (m_afterRun) {
        m_afterRun();
    }
}

void CommandTable::runHeld(CommandRef command) const {
    if (m_hold) {
        m_hold();
    }
    run(command);
}
