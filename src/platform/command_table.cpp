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
    u"昇順",
    u"降順",
    u"RateOne",
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

void CommandTable::add(CommandId id, Handler run) {
    Handler& slot = m_handlers.at(static_cast<std::size_t>(id));
    Q_ASSERT_X(!slot, "CommandTable::add", "a command is registered once");
    slot = std::move(run);
}

void CommandTable::add(CommandId id, const std::function<void()>& run) {
    add(id, Handler([run](int) { run(); }));
}

bool CommandTable::has(CommandId id) const {
    return static_cast<bool>(m_handlers.at(static_cast<std::size_t>(id)));
}

void CommandTable::run(CommandRef command) const {
    const Handler& handler = m_handlers.at(static_cast<std::size_t>(command.id));
    if (!handler) {
        return;
    }
    try {
        handler(command.index);
    } catch (const std::exception& error) {
        if (m_onError) {
            m_onError(error);
        }
    }
}

void CommandTable::runHeld(CommandRef command) const {
    if (m_hold) {
        m_hold();
    }
    run(command);
}
