#include "ui/download/suggested_file_name.h"

#include <QStringDecoder>
#include <QStringList>

#include "text/codepage.h"

namespace varneth {

namespace {

QByteArray TrimmedLower(QByteArray bytes) {
    return bytes.trimmed().toLower();
}

// The parameters of a header value such as `attachment; filename="a;b.srt"`: name and raw value
// pairs, a quoted value unescaped; semicolons inside quotes do not split.
QList<std::pair<QByteArray, QByteArray>> HeaderParameters(const QByteArray& value) {
    QList<std::pair<QByteArray, QByteArray>> parameters;
    qsizetype i = value.indexOf(';');  // the disposition type comes first
    while (i >= 0 && i < value.size()) {
        ++i;  // past ';'
        const qsizetype equals = value.indexOf('=', i);
        const qsizetype nextSemicolon = value.indexOf(';', i);
        if (equals < 0 || (nextSemicolon >= 0 && nextSemicolon < equals)) {
            i = nextSemicolon;
            continue;
        }
        const QByteArray name = TrimmedLower(value.mid(i, equals - i));
        qsizetype j = equals + 1;
        while (j < value.size() && (value[j] == ' ' || value[j] == '\t'))
            ++j;
        QByteArray parameterValue;
        if (j < value.size() && value[j] == '"') {
            for (++j; j < value.size() && value[j] != '"'; ++j) {
                if (value[j] == '\\' && j + 1 < value.size())
                    ++j;
                parameterValue += value[j];
            }
            i = value.indexOf(';', j);
        } else {
            const qsizetype end = value.indexOf(';', j);
            parameterValue = value.mid(j, end < 0 ? -1 : end - j).trimmed();
            i = end;
        }
        parameters.append({name, parameterValue});
    }
    return parameters;
}

bool IsValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

bool HasNonAscii(const QByteArray& bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

// filename*=charset'language'percent-encoded
QString ExtendedValue(const QByteArray& value) {
    const qsizetype firstQuote = value.indexOf('\'');
    const qsizetype secondQuote = firstQuote < 0 ? -1 : value.indexOf('\'', firstQuote + 1);
    if (secondQuote < 0)
        return {};
    const QByteArray charset = TrimmedLower(value.left(firstQuote));
    const QByteArray bytes = QByteArray::fromPercentEncoding(value.mid(secondQuote + 1));
    if (charset == "utf-8" || charset == "utf8") {
        return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : QString();
    }
    if (charset == "gbk" || charset == "gb2312" || charset == "gb18030" || charset == "cp936") {
        return DecodeNameBytes(bytes);
    }
    if (charset == "iso-8859-1")
        return QString::fromLatin1(bytes);
    return {};
}

// filename= as sent. Servers also send raw UTF-8, raw code page 936 or percent-encoded UTF-8
// here; the last is decoded only when it plainly is one.
QString PlainValue(const QByteArray& value) {
    if (value.contains('%')) {
        const QByteArray decoded = QByteArray::fromPercentEncoding(value);
        if (HasNonAscii(decoded) && IsValidUtf8(decoded))
            return QString::fromUtf8(decoded);
    }
    return DecodeNameBytes(value);
}

bool IsForbiddenCharacter(QChar c) {
    switch (c.category()) {
        case QChar::Other_Control:  // C0, DEL and C1
        case QChar::Other_Format:   // bidirectional overrides and the like
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            return false;
    }
}

bool IsWindowsReservedCharacter(QChar c) {
    return c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*';
}

QString TrimDotsAndSpaces(QString name) {
    const auto trimmable = [](QChar c) { return c == '.' || c.isSpace(); };
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && trimmable(name[begin]))
        ++begin;
    while (end > begin && trimmable(name[end - 1]))
        --end;
    return name.mid(begin, end - begin);
}

bool IsWindowsDeviceName(const QString& name) {
    const QString stem = name.section('.', 0, 0).trimmed().toUpper();
    static const QStringList kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (kDevices.contains(stem))
        return true;
    return stem.size() == 4 && (stem.startsWith("COM") || stem.startsWith("LPT")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// Cuts `text` to at most `maxBytes` bytes of UTF-8 without splitting a character.
QString CutToUtf8Bytes(const QString& text, int maxBytes) {
    QString cut;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, units);
        const int characterBytes = static_cast<int>(character.toUtf8().size());
        if (bytes + characterBytes > maxBytes)
            break;
        cut += character;
        bytes += characterBytes;
        i += units;
    }
    return cut;
}

int Utf8Size(const QString& text) {
    return static_cast<int>(text.toUtf8().size());
}

QString ShortenKeepingExtension(const QString& name) {
    if (Utf8Size(name) <= kMaxFileNameBytes)
        return name;
    constexpr int kMaxExtensionBytes = 16;
    const qsizetype dot = name.lastIndexOf('.');
    QString extension = dot > 0 ? name.mid(dot) : QString();
    if (Utf8Size(extension) > kMaxExtensionBytes)
        extension.clear();
    const QString stem = extension.isEmpty() ? name : name.left(dot);
    const QString shortStem =
        TrimDotsAndSpaces(CutToUtf8Bytes(stem, kMaxFileNameBytes - Utf8Size(extension)));
    return shortStem + extension;
}

QString SafeNameOrEmpty(const QString& name) {
    const QString lastPart = name.mid(std::max(name.lastIndexOf('/'), name.lastIndexOf('\\')) + 1);
    QString cleaned;
    cleaned.reserve(lastPart.size());
    for (QChar c : lastPart) {
        if (IsForbiddenCharacter(c))
            continue;
        cleaned += IsWindowsReservedCharacter(c) ? QChar('_') : c;
    }
    cleaned = TrimDotsAndSpaces(cleaned);
    if (IsWindowsDeviceName(cleaned))
        cleaned.prepend('_');
    return ShortenKeepingExtension(cleaned);
}

}  // namespace

QString DecodeNameBytes(const QByteArray& bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return QString::fromStdString(LocalToUtf8(Text(bytes.toStdString())));
}

QString FileNameFromContentDisposition(const QByteArray& value) {
    QString extended;
    QString plain;
    for (const auto& [name, parameterValue] : HeaderParameters(value)) {
        if (name == "filename*" && extended.isEmpty())
            extended = ExtendedValue(parameterValue);
        if (name == "filename" && plain.isEmpty())
            plain = PlainValue(parameterValue);
    }
    return extended.isEmpty() ? plain : extended;
}

QString FileNameFromAddress(const QByteArray& address) {
    QByteArray path = address;
    if (const qsizetype cut = path.indexOf('#'); cut >= 0)
        path.truncate(cut);
    if (const qsizetype cut = path.indexOf('?'); cut >= 0)
        path.truncate(cut);
    if (const qsizetype scheme = path.indexOf("://"); scheme >= 0) {
        const qsizetype pathStart = path.indexOf('/', scheme + 3);
        if (pathStart < 0)
            return {};  // host alone: no name in it
        path = path.mid(pathStart);
    }
    const QByteArray segment = path.mid(path.lastIndexOf('/') + 1);
    return DecodeNameBytes(QByteArray::fromPercentEncoding(segment));
}

QString SafeFileName(const QString& name) {
    const QString safe = SafeNameOrEmpty(name);
    return safe.isEmpty() ? QString::fromLatin1(kFallbackFileName) : safe;
}

QString SuggestedFileName(const QByteArray& contentDisposition, const QByteArray& finalAddress,
                          const QByteArray& requestedAddress) {
    for (const QString& candidate :
         {FileNameFromContentDisposition(contentDisposition), FileNameFromAddress(finalAddress),
          FileNameFromAddress(requestedAddress)}) {
        if (const QString safe = SafeNameOrEmpty(candidate); !safe.isEmpty())
            return safe;
    }
    return QString::fromLatin1(kFallbackFileName);
}

}  // namespace varneth
