#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

// The passwords one extraction offers libarchive. Each answer of the user's goes as UTF-8 and,
// when that differs, as CP932 (what a ZIP made on a Japanese Windows system holds); the user is
// asked at most three times. The old ZIP encryption checks a password against one byte only, so
// a wrong one gets past that check once in 256 tries and fails on the data instead: such a
// password counts as wrong while offers or questions are left, unless it is offered again (then
// the data itself is damaged).
class PasswordOffers {
public:
    static constexpr int kMaxQuestions = 3;
    // attempt counts from 1; nullopt: the user gives up.
    using Ask = std::function<std::optional<QString>(int attempt)>;

    explicit PasswordOffers(Ask ask) : m_ask(std::move(ask)) {}

    // The next password to try; nullopt when there is none.
    std::optional<QByteArray> next();
    // The data of an encrypted entry failed with the password last offered. Retry: read the entry
    // again with the next password; Damaged: that password had failed on the data before;
    // Wrong: no password is left to try.
    enum class Verdict { Retry, Damaged, Wrong };
    Verdict failedOnData();
    // Whether any password has been offered.
    bool offered() const { return !m_last.isNull(); }

private:
    Ask m_ask;
    std::deque<QByteArray> m_pending;  // forms of the last answer not offered yet
    QByteArray m_last;
    QList<QByteArray> m_failedOnData;
    int m_questions = 0;
    bool m_gaveUp = false;
};
