// What the files of the link share: the command texts, the panel texts and
// a bit test of a status or option word.
#pragma once

#include <QString>
#include <QtGlobal>

namespace qvx::linkdetail {

inline const QString kRead = QStringLiteral(" ");
inline const QString kWrite = QStringLiteral("P");
inline const QString kOk = QStringLiteral("OK");
inline const QString kNg = QStringLiteral("NG");
inline const QString kNak = QStringLiteral("NAK");
inline const QString kChksum = QStringLiteral("CHKSUM");

inline bool has(qint16 word, quint16 bits) { return (static_cast<quint16>(word) & bits) == bits; }

}  // namespace qvx::linkdetail
