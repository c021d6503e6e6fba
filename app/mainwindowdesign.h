#pragma once
// The main window's design: the places of its controls, in client pixels, and its texts.
#include "ui/look.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace tovrin::form1 {

inline const QString Title = QStringLiteral("Товрин — собеседник от команды разработчиков v") + look::Version;
// The client area below the menu bar: the two panels and the status bar.
constexpr QSize Client(587, 361);

constexpr QRect TabControl1(0, 0, 588, 313);
constexpr QRect RE1(3, 5, 581, 304);
inline const QString RE1Hint = QStringLiteral("Поле для отображения диалога");
constexpr QRect TabControl2(0, 312, 585, 30);
constexpr QRect Input(3, 5, 422, 21);
inline const QString InputHint = QStringLiteral("Поле для ввода фразы пользователя");
constexpr QRect Cancel(426, 5, 27, 22);
inline const QString CancelCaption = QStringLiteral("<");
inline const QString CancelHint = QStringLiteral("Отмена (Альтернатива клавиша: <Ctrl + Z>)");
constexpr QRect EnRus(453, 5, 43, 22);
inline const QString EnRusCaption = QStringLiteral("E/R");
inline const QString EnRusHint = QStringLiteral("Раскладка (Альтернатива клавиша: <Ctrl + S>)");
constexpr QRect Speak(496, 5, 86, 22);
inline const QString SpeakCaption = QStringLiteral("Сказать");
inline const QString SpeakHint = QStringLiteral("Кнопка отправки текста (Альтернативная клавиша: <ENTER>)");
// Out of view, left of the visible area: it only stands for ENTER.
constexpr QRect Talk(-200, 107, 186, 17);
inline const QString TalkCaption = QStringLiteral("<ENTER> (Для кнопки сказать)");

constexpr int StatusBarHeight = 19;
constexpr int PanelWidths[2] = {130, 322}; // the last panel runs to the right edge
inline const QString StatusBarHint = QStringLiteral("Индикатор");

// The mode panel and the service lines of the two conversation modes.
inline const QString CpuUserPanel = QStringLiteral("Режим Cpu\\User");
inline const QString CpuCpuPanel = QStringLiteral("Режим Cpu\\Cpu");
inline const QString CpuUserNotice = QStringLiteral("Сервис:   // Режим диалога Cpu\\User.");
inline const QString CpuCpuNotice = QStringLiteral("Сервис:   // Режим диалога Cpu\\Cpu.");

// The first two panels of the status bar while the knowledge counts are taken.
inline const QString Loading = QStringLiteral("Идёт загрузка подождите...");
inline const QString Loaded = QStringLiteral("Загрузка окончена");
inline const QString KnownText = QStringLiteral("Программе известно:   [главные фразы - %1   ветки - %2]");

} // namespace tovrin::form1
