#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QMessageBox::NoIcon;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return QMessageBox::Ok;
        case MsgButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgResult fromQt(int button, MsgButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return MsgResult::Ok;
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        case QMessageBox::Abort:
            return MsgResult::Abort;
        case QMessageBox::Retry:
            return MsgResult::Retry;
        case QMessageBox::Ignore:
            return MsgResult::Ignore;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            break;
    }
    // Closed without a button: the cancel button where the box has one.
    switch (buttons) {
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel:
        case MsgButtons::RetryCancel:
            return MsgResult::Cancel;
        case MsgButtons::YesNo:
            return MsgResult::No;
        case MsgButtons::AbortRetryIgnore:
            return MsgResult::Abort;
        case MsgButtons::Ok:
            break;
    }
    return MsgResult::Ok;
}

// Texts may break lines with a lone CR, which a Qt label does not treat as a line break.
QString withLineBreaks(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return shown;
}

}  // namespace

QWidget* QtDialogs::parentWidget() const {
    if (m_parent) {
        return m_parent;
    }
    return QApplication::activeWindow();
}

MsgResult QtDialogs::messageBox(const QString& text, MsgIcon icon, MsgButtons buttons,
                                const QString& title) {
    QMessageBox box(toQt(icon), title, withLineBreaks(text), toQt(buttons), parentWidget());
    return fromQt(box.exec(), buttons);
}

std::optional<QString> QtDialogs::inputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWidget(), title, withLineBreaks(prompt),
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

QString QtDialogs::browseForFolder(const QString& caption, const QString& initialFolder,
                                   const QString& rootFolder) {
    const QString root = rootFolder.isEmpty() ? QString() : QDir::cleanPath(rootFolder);
    auto insideRoot = [&root](const QString& folder) {
        return root.isEmpty() || root == u"/" || folder == root || folder.startsWith(root + u'/');
    };
    // A start outside the root (the network command starts from the folder being shown) opens
    // the picker at the root instead, where a choice can count.
    QString start = initialFolder.isEmpty() ? root : QDir::cleanPath(initialFolder);
    if (!insideRoot(start)) {
        start = root;
    }
    QString chosen = QFileDialog::getExistingDirectory(parentWidget(), caption, start,
                                                       QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return {};
    }
    chosen = QDir::cleanPath(chosen);
    return insideRoot(chosen) ? chosen : QString();
}

int QtDialogs::choose(const QString& text, MsgIcon icon, const QStringList& buttons,
                      const QString& title) {
    QMessageBox box(toQt(icon), title, withLineBreaks(text), QMessageBox::NoButton, parentWidget());
    QList<QAbstractButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        added.append(
            box.addButton(buttons.at(i), last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (!added.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
        box.setEscapeButton(added.last());
    }
    box.exec();
    const qsizetype pressed = added.indexOf(box.clickedButton());
    return static_cast<int>(pressed >= 0 ? pressed : added.size() - 1);
}

std::optional<QString> QtDialogs::passwordBox(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWidget(), title, withLineBreaks(prompt),
                                               QLineEdit::Password, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

void QtDialogs::beep() {
    QApplication::beep();
}
