#pragma once
// The editor's design: the places of its controls, in client pixels, its texts and the bounds
// of its period field.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace tovrin::form2 {

inline const QString Title = QStringLiteral("Редактор");
constexpr QSize ClientSize(305, 185);
constexpr QRect Bevel1(0, 1, 305, 184);
constexpr QRect GroupBox1(8, 8, 289, 57);
inline const QString GroupBox1Caption = QStringLiteral("Путь файла для внешнего ввода-вывода:");
constexpr QRect Edit1(8, 24, 273, 21);
constexpr QRect GroupBox2(8, 72, 289, 73);
inline const QString GroupBox2Caption = QStringLiteral("Считывание фразы из файла:");
constexpr QRect RB1(16, 16, 177, 17);
inline const QString RB1Caption = QStringLiteral("По нажатию клавиши [ENTER]");
constexpr QRect RB2(16, 37, 129, 17);
inline const QString RB2Caption = QStringLiteral("По таймеру  каждые:");
constexpr QRect SpinEdit1(145, 34, 44, 22);
constexpr int PeriodMin = 1;
constexpr int PeriodMax = 36000;
constexpr int PeriodAtStart = 1000;
constexpr int PeriodAtOpening = 1;
constexpr QPoint Label1(193, 37);
inline const QString Label1Caption = QStringLiteral("сек.");
constexpr QRect Button1(77, 152, 75, 25);
inline const QString Button1Caption = QStringLiteral("Хорошо");
constexpr QRect Button2(154, 152, 75, 25);
inline const QString Button2Caption = QStringLiteral("Отмена");
inline const QString ProgramFileRefused = QStringLiteral(
    "Файл «%1» принадлежит самой программе (папки Base\\ и Sound\\): ответ, записанный в файл обмена, "
    "заменил бы его целиком. Укажите для обмена другой файл.");

} // namespace tovrin::form2
