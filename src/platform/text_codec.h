#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <memory>

// Conversions between the program's Unicode text and the byte encodings it meets on disk: UTF-8,
// and CP932 (Shift-JIS) for files and archives written on a Japanese system.
namespace text_codec {

bool isValidUtf8(const QByteArray& bytes);

// A reusable CP932 converter; opening one costs far more than converting a line, so a reader of
// many lines keeps one. Bytes that are not CP932 decode as U+FFFD; characters CP932 cannot hold
// encode as '?'.
class Cp932 {
public:
    Cp932();
    ~Cp932();
    Cp932(const Cp932&) = delete;
    Cp932& operator=(const Cp932&) = delete;

    QString decode(const QByteArray& bytes);
    QByteArray encode(QStringView text);

private:
    struct Handles;
    std::unique_ptr<Handles> m_handles;
};

}  // namespace text_codec
