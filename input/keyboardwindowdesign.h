#pragma once
// The virtual keyboard's design: its texts, its keys with their names and captions, and their
// places, in client pixels.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace tovrin::form4 {

inline const QString Title = QStringLiteral("Виртуальная клавиатура");
inline const QString SystemMenu = QStringLiteral("&Система");
inline const QString HideCommand = QStringLiteral("С&крыть виртуальную клавиатуру");
inline const QString SignsCaption = QStringLiteral("Знаки:");
inline const QString LettersCaption = QStringLiteral("Буквы:");
inline const QString CapsOff = QStringLiteral("Caps Lock [не нажат]");
inline const QString CapsOn = QStringLiteral("Caps Lock [нажат]");
constexpr QSize ClientSize(353, 145);
constexpr int TimerInterval = 1; // paced at the clock tick

struct KeyDesign {
    QString name;
    QString caption; // the character the key appends
};

// Sign keys append their caption whatever the Caps Lock state.
inline const KeyDesign SignsUpperRow[] = {
    {QStringLiteral("SB4"), QStringLiteral("#")},  {QStringLiteral("SB5"), QStringLiteral("$")},
    {QStringLiteral("SB6"), QStringLiteral("%")},  {QStringLiteral("SB7"), QStringLiteral("&")},
    {QStringLiteral("Sd8"), QStringLiteral("*")},  {QStringLiteral("SB13"), QStringLiteral("+")},
    {QStringLiteral("SB14"), QStringLiteral("=")}, {QStringLiteral("SB15"), QStringLiteral("\\")},
    {QStringLiteral("SB16"), QStringLiteral("|")}, {QStringLiteral("SB17"), QStringLiteral("/")},
    {QStringLiteral("SB18"), QStringLiteral("[")}, {QStringLiteral("SB19"), QStringLiteral("]")},
    {QStringLiteral("SB20"), QStringLiteral("{")}, {QStringLiteral("SB21"), QStringLiteral("}")},
    {QStringLiteral("SB64"), QStringLiteral("~")}, {QStringLiteral("SB65"), QStringLiteral("`")},
};
inline const KeyDesign SignsLowerRow[] = {
    {QStringLiteral("SB28"), QStringLiteral(",")},  {QStringLiteral("SB27"), QStringLiteral(".")},
    {QStringLiteral("SB2"), QStringLiteral("!")},   {QStringLiteral("SB22"), QStringLiteral("?")},
    {QStringLiteral("SB9"), QStringLiteral("(")},   {QStringLiteral("SB10"), QStringLiteral(")")},
    {QStringLiteral("SB11"), QStringLiteral("-")},  {QStringLiteral("SB12"), QStringLiteral(":")},
    {QStringLiteral("SB24"), QStringLiteral("\"")}, {QStringLiteral("SB25"), QStringLiteral("<")},
    {QStringLiteral("SB26"), QStringLiteral(">")},
};
// Letter keys are numbered on from their first component, in alphabetical order.
constexpr int LettersUpperFirst = 29;
inline const QString LettersUpperRow = QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОП");
constexpr int LettersLowerFirst = 46;
inline const QString LettersLowerRow = QStringLiteral("РСТУФХЦЧШЩЪЫЬЭЮЯ");

// Places in the client area (groups, the tall keys, the bottom row) and inside the groups.
constexpr QSize SignKey(16, 17);
constexpr QSize LetterKey(17, 17);
constexpr QRect SignsGroup(4, 2, 303, 52);
constexpr QRect LettersGroup(4, 54, 303, 52);
constexpr QPoint UpperRowOrigin(7, 14);
constexpr QPoint LowerRowOrigin(7, 31);
constexpr QRect BackspaceKey(309, 8, 41, 50);
constexpr QRect EnterKey(309, 58, 41, 51);
constexpr QRect SpaceKey(11, 114, 134, 22);
constexpr QRect CapsKey(149, 114, 123, 22);
inline const QString BackspaceCaption = QStringLiteral("Bcksp");
inline const QString EnterCaption = QStringLiteral("[Enter]");
inline const QString SpaceCaption = QStringLiteral("Пробел");

} // namespace tovrin::form4
