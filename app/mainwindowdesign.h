#pragma once
// The main window's design: the places of its controls, in client pixels, and its texts.
#include "ui/look.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace tovrin::form1 {

inline const QString Title =
    QStringLiteral("Товрин — собеседник от команды разработчиков v") + look::Version;
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
inline const QString SpeakHint =
    QStringLiteral("Кнопка отправки текста (Альтернативная клавиша: <ENTER>)");
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
inline const QString KnownText =
    QStringLiteral("Программе известно:   [главные фразы - %1   ветки - %2]");

// The menu, in the order it shows (its wiring is in mainwindow.cpp). A separator line has no
// caption of its own; two of them carry shortcuts.
inline const QString Separator = QStringLiteral("-");
inline const QString N1Caption = QStringLiteral("&Система");
inline const QString N2Caption = QStringLiteral("&Новый диалог");
inline const QString N22Caption = QStringLiteral("&Вызвать виртуальную клавиатуру");
inline const QString N17Caption = QStringLiteral("&Подробнее о базе:");
inline const QString N18Caption = QStringLiteral("&Входящие выражения:");
inline const QString N19Caption = QStringLiteral("&Исходящие выражения:");
inline const QString N20Caption = QStringLiteral("&Итого:");
inline const QString N4Caption = QStringLiteral("В&ыход");
inline const QString N5Caption = QStringLiteral("&Настройки");
inline const QString N6Caption = QStringLiteral("&Цвет основного фона ");
inline const QString N21Caption = QStringLiteral("Ц&вет фона поля вывода реплик");
inline const QString N16Caption = QStringLiteral("Цв&ет фона поля ввода реплик");
inline const QString N9Caption = QStringLiteral("Цве&т шрифтов кнопок на панели");
inline const QString N7Caption = QStringLiteral("Цвет &реплик");
inline const QString User1Caption = QStringLiteral("&User");
inline const QString Cpu1Caption = QStringLiteral("&Cpu");
inline const QString Mystring2Caption = QStringLiteral("&My string");
inline const QString N10Caption = QStringLiteral("&Параметры шрифта");
inline const QString User2Caption = QStringLiteral("&User");
inline const QString Cpu2Caption = QStringLiteral("&Cpu");
inline const QString Mystring1Caption = QStringLiteral("&My string");
inline const QString N13Caption = QStringLiteral("Вернуть первоначальные настройки");
inline const QString N37Caption = QStringLiteral("&Режим");
inline const QString CpuUser1Caption = QStringLiteral("&Cpu\\User");
inline const QString Cpu31Caption = QStringLiteral("C&pu\\Cpu");
inline const QString N38Caption = QStringLiteral("Ре&дактор");
inline const QString N40Caption = QStringLiteral("&Full Screen");
inline const QString N11Caption = QStringLiteral("С&правка");
inline const QString N12Caption = QStringLiteral("&О программе...");
inline const QString N15Shortcut = QStringLiteral("Ctrl+Z");
inline const QString N36Shortcut = QStringLiteral("Ctrl+S");

} // namespace tovrin::form1
