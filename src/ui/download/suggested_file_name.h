#pragma once
// The file name the save dialog offers: from the response's Content-Disposition when it names
// one, else from the address's last path segment, always made safe to use as a plain name.
#include <QByteArray>
#include <QString>

namespace varneth {

// The name a Content-Disposition value gives, as sent (not yet made safe): filename*= (UTF-8,
// or the Chinese code pages) before filename=; empty when it gives none.
QString FileNameFromContentDisposition(const QByteArray& value);

// The last path segment of an address, percent-decoded; empty when the path ends in a slash.
QString FileNameFromAddress(const QByteArray& address);

// A plain file name: no folders, no control or format characters, none of the characters
// Windows forbids, no leading or trailing dots and spaces (so never "." or ".."), at most
// kMaxFileNameBytes bytes of UTF-8 with the extension kept; kFallbackFileName when nothing is left.
QString SafeFileName(const QString& name);

// Content-Disposition first, then the address the file came from (after redirects), then the
// address that was asked for; the result is always safe.
QString SuggestedFileName(const QByteArray& contentDisposition, const QByteArray& finalAddress,
                          const QByteArray& requestedAddress);

inline constexpr int kMaxFileNameBytes = 200;
inline constexpr char kFallbackFileName[] = "subtitle";

// Bytes as text: UTF-8 when they are valid UTF-8, else the program's code page 936 (the site's
// servers send either).
QString DecodeNameBytes(const QByteArray& bytes);

}  // namespace varneth
