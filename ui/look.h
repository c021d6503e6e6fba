#pragma once
// What every window of the program shares: the silver of its faces, its font, the caption
// colour of disabled controls, and the program's version as the build states it.
#include "tovrin/version.h"

#include <QColor>
#include <QString>

namespace tovrin::look {

inline const QColor Silver(0xC0, 0xC0, 0xC0);
inline const QColor Black(0x00, 0x00, 0x00);
inline const QColor Teal(0x00, 0x80, 0x80);
// A disabled caption is drawn in dark grey, so that it stays readable on silver.
inline const QColor DisabledText(0x80, 0x80, 0x80);
inline const QString FontFace = QStringLiteral("MS Sans Serif");
constexpr int FontSize = 8;

// "2.26"
inline const QString Version = QString::fromLatin1(kVersion);

} // namespace tovrin::look
