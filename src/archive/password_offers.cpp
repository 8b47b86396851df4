#include "archive/password_offers.h"

#include "platform/text_codec.h"

namespace {

std::deque<QByteArray> formsOf(const QString& answer) {
    std::deque<QByteArray> forms{answer.toUtf8()};
    text_codec::Cp932 codec;
    const QByteArray cp932 = codec.encode(answer);
    // Only a form that holds the whole answer: CP932 writes "?" for what it cannot hold.
    if (cp932 != forms.front() && codec.decode(cp932) == answer) {
        forms.push_back(cp932);
    }
    return forms;
}

}  // namespace

std::optional<QByteArray> PasswordOffers::next() {
    if (m_pending.empty()) {
        if (!m_ask || m_gaveUp || m_questions >= kMaxQuestions) {
            return std::nullopt;
        }
        const std::optional<QString> answer = m_ask(++m_questions);
        if (!answer) {
            m_gaveUp = true;
            return std::nullopt;
        }
        m_pending = formsOf(*answer);
    }
    m_last = m_pending.front();
    m_pending.pop_front();
    return m_last;
}

PasswordOffers::Verdict PasswordOffers::failedOnData() {
    if (m_failedOnData.contains(m_last)) {
        return Verdict::Damaged;
    }
    m_failedOnData << m_last;
    const bool more = !m_pending.empty() || (!m_gaveUp && m_questions < kMaxQuestions);
    return more ? Verdict::Retry : Verdict::Wrong;
}
