#include "engine/wordlists.h"

#include "kb/cp1251.h"

#include <array>
#include <string_view>

namespace tovrin {

namespace {

// Kept here in UTF-8 for reading; the filters compare Windows-1251 bytes.
constexpr std::array<std::string_view, 82> kCenzura = {
    " ЛОХ",    " ХАМ",          "БЕСТОЛКОВ", "БЕСТОЛОЧЬ", "БЛУДЛИВ",   "БЛУДНИЦА",   "БЛЯ ",
    "БЛЯ,",    "БЛЯ.",          "БЛЯ!",      "БЛЯ?",      "БЛЯДИ",     "БЛЯДЬ",      "БОЛВАН",
    "ВЫРОДК",  "ВЫРОДОК",       "ГАД ",      "ГАД,",      "ГАД.",      "ГАД!",       "ГАДИН",
    "ДРОЧУН",  "ЖЕРТВА АБОРТА", "ЖМУРИК",    "ЕБАТЬ",     "ЕБЛАН",     "ЕБЛО",       "ДЕБИЛ",
    "ДУРА",    "ДУРЕНЬ",        "ДУРИК",     "ДУРОЙ",     "ДУРОЧ",     "ДУРЫ",       "КУРТИЗАН",
    "МАНДА",   "МАНДЮ",         "МРАЗЬ",     "МУДАК",     "МУДИЛ",     "МУДАЗВОН",   "МУДОЗВОН",
    "МУРЛО",   "НЕДОНОСК",      "НЕДОНОСОК", "НЕДОУМ",    "ОТСОСИ",    "ПАДЛ",       "ПОДЛ",
    "ПИЗД",    "ПОДОН",         "ПРИДУРОК",  "ПРОСТИТНЯ", "ПРОСТИТУТ", "СУКА",       "СУКИ",
    "СУКУ",    "СУЧАРА",        "СУЧКА",     "СУЧКИ",     "СУЧОК",     "ТЕБЯ СОТРУ", "ТРАХАТЬ",
    "ТРАХНУТ", "УБЛЮД",         "УЁБИЩ",     "УПЫР",      "УРОД",      "ХЕР ",       "ХЕР,",
    "ХЕР.",    "ХЕР!",          "ХЕР?",      "ХУИ",       "ХУЙ",       "ЧМО",        "ЧУРК",
    "ШАЛАВА",  "ШАЛАВКА",       "ШЛЮХА",     "ШЛЮШ",      "Я СОТРУ",
};

constexpr std::array<std::string_view, 79> kFilterNr = {
    " ИМЯ",        " ЛЕТ",   "В ТУАЛЕТ", "ВИДЕ",       "ВИЖУ",     "ВОЛОС",        "ДЕМОНТИРУЮ",
    "ДРОЧИ",       "ДРОЧУ",  "ДЫШАТЬ",   "ДЫШУ",       "ЖАРКО",    "ЖИВ",          "ЖОП",
    "ЖРАТЬ",       "ИГРАЕМ", "ИГРАТЬ",   "ИГРАЮ",      "ИЗ ПЛОТИ", "ИМЯ ",         "КАКАТЬ",
    "КУШАТЬ",      "ЛЕТ ",   "ЛЕТАТЬ",   "ЛЕТЕТЬ",     "ЛЮБИЛ",    "ЛЮБЛЮ",        "МАМА",
    "МАМОЙ",       "МАМОЧК", "МАМУ",     "МЕНЯ ЗОВУТ", "НЕ ПРОГА", "НЕ ПРОГРАММА", "НЕ РОБОТ",
    "НОГА",        "НОГИ",   "ОРГАН",    "ПАПА",       "ПАПОЙ",    "ПАПОЧК",       "ПАПУ",
    "ПЕРЕДЕЛАТЬ",  "ПЕТЬ",   "ПИСАТЬ",   "ПИСЬ",       "ПИСЯ",     "ПИТЬ",         "ПОБЕЖАЛ",
    "ПОДОЖДИ",     "ПОЙДЁМ", "ПОПА",     "ПОПК",       "ПОШЛИ",    "РОДИЛ",        "РОДИТЕЛ",
    "РОДСТВЕННИК", "РОЖДЁН", "РУКА",     "РУКИ",       "СЛЫШАТЬ",  "СЛЫШИ",        "СЛЫШУ",
    "СМОТРЮ",      "СОТРУ",  "СПАТЬ",    "ТЕЛО",       "УДАЛЮ",    "УМРУ",         "УСТАЛ",
    "УСТАЮ",       "УХОЖУ",  "ХОДИТЬ",   "ХОЛОДНО",    "ХОЧУ",     "ЧЕЛОВЕК",      "ЧУВСТВО",
    "ЧУВСТВУЮ",    "ШЕРСТ",
};

// Every slot filled: a missing entry would leave an empty one, which never hits.
static_assert(!kCenzura.back().empty() && !kFilterNr.back().empty());

template <std::size_t N>
std::vector<std::string> toCp1251(const std::array<std::string_view, N>& utf8)
{
    std::vector<std::string> out;
    out.reserve(N);
    for (std::string_view entry : utf8)
        out.push_back(cp1251::fromUtf8(entry));
    return out;
}

} // namespace

const std::vector<std::string>& Cenzura()
{
    static const std::vector<std::string> list = toCp1251(kCenzura);
    return list;
}

const std::vector<std::string>& Filter_nr()
{
    static const std::vector<std::string> list = toCp1251(kFilterNr);
    return list;
}

} // namespace tovrin
