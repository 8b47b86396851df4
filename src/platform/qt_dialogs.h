#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

// The dialogs the user sees: Qt's message box, input box and folder picker, over the active
// window (or the window given).
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    MsgResult messageBox(const QString& text, MsgIcon icon, MsgButtons buttons,
                         const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    QString browseForFolder(const QString& caption, const QString& initialFolder,
                            const QString& rootFolder) override;
    void beep() override;
    int choose(const QString& text, MsgIcon icon, const QStringList& buttons,
               const QString& title) override;
    std::optional<QString> passwordBox(const QString& prompt, const QString& title) override;

private:
    QWidget* parentWidget() const;

    QPointer<QWidget> m_parent;
};
