#include "settings/ini_document.h"

#include "platform/text_codec.h"

#include <algorithm>

namespace {

QString folded(const QString& name) { return name.trimmed().toCaseFolded(); }

QString unquoted(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniDocument::IniDocument() = default;
IniDocument::~IniDocument() = default;
IniDocument::IniDocument(IniDocument&&) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&&) noexcept = default;

IniDocument IniDocument::fromBytes(const QByteArray& bytes) {
    IniDocument doc;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = true;
        body.remove(0, 3);
    }
    if (!text_codec::isValidUtf8(body)) {
        doc.m_encoding = Encoding::Cp932;
        doc.m_cp932 = std::make_unique<text_codec::Cp932>();
    }
    qsizetype start = 0;
    while (start < body.size()) {
        qsizetype end = body.indexOf('\n', start);
        Line line;
        if (end < 0) {
            line.bytes = body.mid(start);
            end = body.size();
        } else {
            line.bytes = body.mid(start, end - start);
            line.eol = QByteArrayLiteral("\n");
            ++end;
        }
        if (line.bytes.endsWith('\r')) {
            line.bytes.chop(1);
            line.eol.prepend('\r');
        }
        doc.classify(line);
        doc.m_lines.append(std::move(line));
        start = end;
    }
    return doc;
}

QByteArray IniDocument::toBytes() const {
    QByteArray out;
    if (m_bom) {
        out.append("\xEF\xBB\xBF");
    }
    for (const Line& line : m_lines) {
        out.append(line.bytes);
        out.append(line.eol);
    }
    return out;
}

QString IniDocument::decode(const QByteArray& bytes) const {
    return m_cp932 ? m_cp932->decode(bytes) : QString::fromUtf8(bytes);
}

QByteArray IniDocument::encode(const QString& text) const {
    return m_cp932 ? m_cp932->encode(text) : text.toUtf8();
}

void IniDocument::classify(Line& line) const {
    line.kind = Line::Other;
    line.name.clear();
    // Only lines that can be a header or an entry are decoded: the rest stay bytes.
    const QByteArray head = line.bytes.trimmed();
    if (head.isEmpty() || head.startsWith(';') || head.startsWith('#')) {
        return;
    }
    const QString text = decode(line.bytes);
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        line.kind = Line::Section;
        line.name = folded(close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1));
        return;
    }
    const qsizetype eq = text.indexOf(u'=');
    if (eq > 0 && !text.left(eq).trimmed().isEmpty()) {
        line.kind = Line::Key;
        line.name = folded(text.left(eq));
        line.valueStart = eq + 1;
    }
}

std::pair<qsizetype, qsizetype> IniDocument::findSection(const QString& foldedName) const {
    qsizetype header = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind != Line::Section) {
            continue;
        }
        if (header >= 0) {
            return {header, i};
        }
        if (m_lines[i].name == foldedName) {
            header = i;
        }
    }
    return {header, m_lines.size()};
}

qsizetype IniDocument::findKey(qsizetype begin, qsizetype end, const QString& foldedKey) const {
    for (qsizetype i = begin; i < end; ++i) {
        if (m_lines[i].kind == Line::Key && m_lines[i].name == foldedKey) {
            return i;
        }
    }
    return -1;
}

QByteArray IniDocument::newLineEnding() const {
    bool loneCr = false;
    for (const Line& line : m_lines) {
        if (line.eol.endsWith('\n')) {
            return line.eol;
        }
        loneCr = loneCr || !line.eol.isEmpty();
    }
    // A file whose one line end is a CR at its very end was most likely cut inside a CR LF.
    return loneCr ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

void IniDocument::endLine(Line& line, const QByteArray& eol) {
    // The last line may end in nothing or in a lone CR (a file cut between CR and LF, or old Mac
    // line ends). The reader splits at LF only: a line written after either would join it.
    if (!line.eol.endsWith('\n')) {
        line.eol = eol;
    }
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const auto [header, end] = findSection(folded(section));
    if (header < 0) {
        return std::nullopt;
    }
    const qsizetype at = findKey(header + 1, end, folded(key));
    if (at < 0) {
        return std::nullopt;
    }
    return unquoted(decode(m_lines[at].bytes).mid(m_lines[at].valueStart));
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    QString safeValue = value;
    safeValue.replace(u'\r', u' ').replace(u'\n', u' ');
    const auto [header, end] = findSection(folded(section));
    const qsizetype at = header < 0 ? -1 : findKey(header + 1, end, folded(key));
    if (at >= 0) {
        // Keep the key as the file spells it.
        Line& line = m_lines[at];
        const bool wasCp932 = isCp932Only(line);
        const QString text = decode(line.bytes);
        line.bytes = encode(text.left(line.valueStart - 1).trimmed() + u'=' + safeValue);
        classify(line);
        if (wasCp932) {
            keepText();
        }
        return;
    }
    const QByteArray eol = newLineEnding();
    if (!m_lines.isEmpty()) {
        endLine(m_lines.last(), eol);
    }
    Line entry;
    entry.bytes = encode(key.trimmed() + u'=' + safeValue);
    entry.eol = eol;
    classify(entry);
    if (header < 0) {
        Line head;
        head.bytes = encode(u'[' + section.trimmed() + u']');
        head.eol = eol;
        classify(head);
        m_lines.append(std::move(head));
        m_lines.append(std::move(entry));
        return;
    }
    // After the section's last non-blank line, so a blank line before the next section stays.
    qsizetype insertAt = end;
    while (insertAt > header + 1 && m_lines[insertAt - 1].bytes.trimmed().isEmpty()) {
        --insertAt;
    }
    endLine(m_lines[insertAt - 1], eol);
    m_lines.insert(insertAt, std::move(entry));
}

bool IniDocument::removeKey(const QString& section, const QString& key) {
    const auto [header, end] = findSection(folded(section));
    const qsizetype at = header < 0 ? -1 : findKey(header + 1, end, folded(key));
    if (at < 0) {
        return false;
    }
    const bool wasCp932 = isCp932Only(m_lines[at]);
    m_lines.removeAt(at);
    if (wasCp932) {
        keepText();
    }
    return true;
}

bool IniDocument::removeSection(const QString& section) {
    const auto [header, end] = findSection(folded(section));
    if (header < 0) {
        return false;
    }
    const bool wasCp932 = std::any_of(m_lines.cbegin() + header, m_lines.cbegin() + end,
                                      [this](const Line& line) { return isCp932Only(line); });
    m_lines.remove(header, end - header);
    if (wasCp932) {
        keepText();
    }
    return true;
}

bool IniDocument::isCp932Only(const Line& line) const {
    return m_cp932 && !text_codec::isValidUtf8(line.bytes);
}

void IniDocument::keepText() {
    // Line ends are ASCII, so the file is valid UTF-8 when each line is.
    for (const Line& line : m_lines) {
        if (isCp932Only(line)) {
            return;
        }
    }
    for (Line& line : m_lines) {
        if (std::any_of(line.bytes.cbegin(), line.bytes.cend(),
                        [](char c) { return (c & 0x80) != 0; })) {
            line.bytes = decode(line.bytes).toUtf8();
        }
    }
    m_encoding = Encoding::Utf8;
    m_cp932.reset();
}
