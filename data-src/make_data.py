#!/usr/bin/env python3
"""Builds the delivered Base/ files and ReadMe.Txt from the readable sources in data-src/.

The sources are UTF-8; the program reads Windows-1251 with CR LF, so every output is written
in that form. Before anything is written the sources and every phrase list are checked, and
then the knowledge file as it would be written goes through `tovrin-kb check`, the program's own
judge of the entry grammar and of the keys that an earlier entry always answers for; a fault of
either, an error or a warning of the checker alike, stops the build with a list of what is
wrong. The checks of this script are those of the sources and of the authors' rules: no marker
character in a key or a phrase, no stray spaces, no rude stem anywhere, no branch that an
earlier branch after the same entry answers for, and the farewells present.

    python3 data-src/make_data.py            # check, then write data/Base/* and data/ReadMe.Txt
    python3 data-src/make_data.py --check    # check, and fail when the committed files are stale
    python3 data-src/make_data.py --report   # also print the counts
    python3 data-src/make_data.py --kb PATH  # the tovrin-kb to check with (else $TOVRIN_KB, else
                                             # the newest build*/tovrin-kb of the tree)

Source of the knowledge file: data-src/words/*.txt, joined in the order of their names
(01-greetings.txt, 02-hello.txt, ...). The order of entries is the order of lookup, so
the files go from the specific to the general, and so do the entries inside each file.
    # a comment                  ignored, as are blank lines
    !header Text of line 0       the header line, never read as an entry (first file only);
                                 @VERSION@ in it is the project's version (CMakeLists.txt)
    КЛЮЧ                         a main phrase; "_" or "__" in front makes a branch
    КЛЮЧ @                       the same with the farewell mark: the program closes after it
        Ответ.                   indented lines are the replies of the entry above, in order
    КЛЮЧ1 | КЛЮЧ2 | $ДА          several keys with the same replies: one entry per key, in this
                                 order (a main phrase's keys each followed by its own copy of
                                 the branches below, a branch's keys sharing one copy);
                                 a $NAME stands for the key set of that name (KEY_SETS below),
                                 and a key with Ё is followed by its twin written with Е
    БРАТ~ | РАБОТ~А,У            a whole word instead of a bare stem, which would also answer
                                 «выбрать» or «заработок»: "~" makes the key " БРАТ" (a word
                                 that begins so, anywhere after the first word) and, for a word
                                 that is the first of a phrase or the whole of it, "БРАТ." and
                                 "БРАТ," (the program never takes a key that ends in a space);
                                 endings after the "~" name the forms to take there instead of
                                 the stem itself ("РАБОТА.", "РАБОТА,", "РАБОТУ.", "РАБОТУ,"; a
                                 leading empty ending keeps the stem among them: "БРАТ~,А");
                                 "~РОК" is " РОК" alone, for a word whose ending forms other
                                 words end in too («урок», «игрок»); the forms for the first
                                 word also come followed by a space and each letter a second
                                 word can begin with ("БРАТ П…" of «брат приехал») in a branch,
                                 and in a main phrase where "~~" says so ("БРАТ~~,А")
    !tree NAME ... !end          branches written once, for several entries: the lines between
                                 (branches "_" and deeper, with their replies) are not read there
                                 but wherever a line "!use NAME" stands, as branches of the entry
                                 above that line, one level below it
    ДО СВИДАНИЯ+                 a farewell only where it ends a sentence or is said to someone:
                                 "ДО СВИДАНИЯ." "ДО СВИДАНИЯ!" "ДО СВИДАНИЯ," "ДО СВИДАНИЯ)"
                                 and "ДО СВИДАНИЯ ТОВРИН", never «до свидания с парнем …»

Sources of the phrase lists (data-src/<File>.txt): one phrase per line; "#" lines and
blank lines are ignored. ReadMe.txt is taken line for line, blank lines included.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SRC = HERE
DATA = os.path.join(HERE, os.pardir, "data")
BASE = os.path.join(DATA, "Base")

def project_version():
    """The version of project() in CMakeLists.txt: the one place every version comes from."""
    import re
    with open(os.path.join(HERE, os.pardir, "CMakeLists.txt"), encoding="utf-8") as f:
        found = re.search(r"^project\(tovrin VERSION ([0-9.]+)", f.read(), re.M)
    if not found:
        sys.exit("make_data.py: no project(tovrin VERSION ...) in CMakeLists.txt")
    return found.group(1)


# Phrase lists: output name, source name, smallest number of phrases, whether line 0 is a title.
LISTS = [
    ("W1.Dat", "W1.txt", 40, False),
    ("W2.Dat", "W2.txt", 40, False),
    ("Povtor.Dat", "Povtor.txt", 40, False),
    ("X.Dat", "X.txt", 40, False),
    ("BigString.Dat", "BigString.txt", 40, False),
    ("Pause.Dat", "Pause.txt", 40, False),
    ("Begin.dat", "Begin.txt", 40, False),
    ("AI.dat", "AI.txt", 40, True),
]
EMPTY_FILES = ["Collection.Dat", "Log.Tovrin"]

MIN_MAIN = 300
MIN_BRANCHES = 40
MIN_MAIN_REPLIES = 3
MAX_REPLIES = 4

# Keys shorter than the usual minimum that cannot match inside a longer common word.
SHORT_KEYS = {"ХЗ", "ЕГЭ", "ОГЭ", "СПС", "ЙОУ", "ПОЮ", "НУБ", "УГУ", "НЕА", "МДА", "ВАУ", "ХММ",
              "ЭХ.", "ЭХ!", "АУ.", "АУ!", "ЧЁ?", "ЧЕ?", "ЧО?", "ДА.", "ДА!", "ДА)", "ОК.", "ОК!",
              "ОК,", "ОК)", "HI.", "HI!", "HI,", "ЧАО", "ДАА", "BYE", "МАМ", "СЫН", "МЯУ", "ГТА",
              "GTA", "УВЫ", "МДЯ", "ХМ.", "ХМ,", "ХМ!", "ЭММ", "НУУ", "ЭЭЭ", "THX", "WOW", "ЧП.",
              "ЭХ,", "ЭХХ", "РЖУ", "HEY", "ХЭЙ", "XD", "ХД)", "ХД.", "ГЫ.", "ХАХ", "SOS", ":D", "ББ.", "ББ!", "ББ)"}
# The branches below a move in the game of cities take the last letter of the city named: one
# letter and the end of the phrase, never a main key.
LAST_LETTERS = {letter + end for letter in "АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЯ" for end in ".!)"}

# Named key sets for the ways people say "don't know", "no" and "yes"; a branch line names
# them as $НЗ, $НЕТ and $ДА. Inside one set the order matters only where one key holds
# another; the sets themselves go "don't know", "no", "yes" below a question, since "да нет"
# is a no and "да не знаю" is a shrug.
KEY_SETS = {
    "НЗ": "НЕ ЗНАЮ | НЕЗНАЮ | ХЗ | БЕЗ ПОНЯТИЯ | ПОНЯТИЯ НЕ ИМЕЮ | НЕ УВЕРЕН | КТО ЗНАЕТ",
    "НЕТ": "НЕ ХОЧУ | НЕ СЕЙЧАС | НЕ БУДУ | НЕ ЛЮБЛЮ | НЕ РАЗБИРАЮСЬ | НИ ЗА КОГО | НЕ ИНТЕРЕСУЮСЬ | НЕТ. | НЕТ, | НЕТ! | НЕТ СПАС | НЕА | НЕ-А | НИКОГДА | ОТСТАНЬ | ПОТОМ",
    "ДА": "ДАВАЙ | ЗАГАДЫВАЙ | РАССКАЗЫВАЙ | РАССКАЖИ | ДА. | ДА! | ДА, | ДА) | ДАА | АГА~ | УГУ | "
          "КОНЕЧНО | ХОЧУ | ОК. | ОК! | ОК, | ОК) | ОКЕЙ | ЛАДНО | МОЖНО | ВАЛЯЙ | ПОЕХАЛИ | ГОТОВ~,А | "
          "ЕЩЁ БЫ | ХОРОШО | ЛЮБЛЮ",
    # Shorter sets for the branches of entries with many keys, each of which carries its own
    # copy of them.
    "НЕА": "НЕ ХОЧУ | НЕ СЕЙЧАС | НЕТ. | НЕТ, | НЕА | ПОТОМ | НИКОГДА",
    "АГА": "ДАВАЙ | РАССКАЖИ | ДА. | ДА, | ДА! | ДА) | АГА~ | УГУ | КОНЕЧНО | ХОЧУ | ОК. | ОКЕЙ | ЛАДНО | МОЖНО",
}
MARKERS = "^;@"

# The stems the program answers with a retort instead of a reply: the profanity filter's own
# list, read from the reply engine's source so that there is one list. Nothing delivered may
# contain one: a key that holds one is never reached, and a reply that holds one would be taken
# for rudeness by a second copy of the program that reads it from the exchange file.
def read_profanity():
    path = os.path.join(HERE, os.pardir, "engine", "wordlists.cpp")
    with open(path, encoding="utf-8") as f:
        source = f.read()
    body = re.search(r"kCenzura = \{(.*?)\};", source, re.S)
    if not body:
        sys.exit(f"{path}: the profanity list kCenzura was not found")
    return re.findall(r'"((?:[^"\\]|\\.)*)"', body.group(1))


PROFANITY = read_profanity()

# Words too common to make a key on their own. The second, word-by-word pass of the lookup
# finds a key whose words occur in order anywhere in a phrase, so a key made only of such
# words would answer almost any phrase that nothing else answers.
COMMON = set("""
А И В НА НЕ НИ ДА НЕТ ТЫ Я МЫ ВЫ ОН ОНА ОНО ОНИ МНЕ МЕНЯ ТЕБЕ ТЕБЯ СЕБЯ СЕБЕ ТОБОЙ МНОЙ
У С О ОБ ПО ЗА ИЗ ОТ ДО ДЛЯ ПРО КАК ЧТО КТО ГДЕ ТАК ТО ЭТО ВОТ ЖЕ ЛИ БЫ УЖЕ ЕЩЕ ЕЩЁ ВСЕ ВСЁ
ТОЖЕ ЕСТЬ БЫЛ БЫЛО БУДЕТ МОЙ МОЯ МОЁ МОЕ ТВОЙ ТВОЯ ТВОЁ ТВОЕ ТВОИ МОИ ЧЕМ ЧЁМ ЧЕГО КОГО
""".split())

# Keys of common words only whose words, found apart, still ask the same thing.
SAFE_COMMON = {"ТВОЁ ИМЯ", "ТВОЕ ИМЯ", "ИМЯ У ТЕБЯ", "КТО ТЫ", "ТЫ КТО", "ЧАТ ГПТ", "ТЫ ТУТ",
               "ТЫ ГДЕ", "ТЫ ТУП", "ПРИ ЧЁМ ТУТ", "ПРИ ЧЕМ ТУТ", "Я ТАК РАД", "Я ТАК РАДА",
               "НЕТ СИЛ", "МОЙ КОТ", "ТИК ТОК", "КАК ТЫ ТАМ", "КАК САМ"}

END_PUNCT = ".!?…»)"


class Faults:
    def __init__(self):
        self.items = []

    def add(self, where, text):
        self.items.append(f"{where}: {text}")


def upper_char(c):
    """The program's upper case of one character: a letter of Windows-1251 to its capital when
    the code page holds one (Latin a-z, every Cyrillic letter), anything else unchanged."""
    if not c.islower():
        return c
    u = c.upper()
    return u if len(u) == 1 and encodable(u) else c


class _UpperTable(dict):
    """upper_char for str.translate, each character worked out once."""
    def __missing__(self, code):
        self[code] = upper_char(chr(code))
        return self[code]


_UPPER = _UpperTable()


def upper(text):
    return text.translate(_UPPER)


def encodable(text):
    try:
        text.encode("cp1251")
        return True
    except UnicodeEncodeError:
        return False


def profanity_in(text):
    probe = upper(text) + "."
    return [p for p in PROFANITY if p in probe]


# ---- the lookup, as the program does it

def normalise(text):
    """A phrase as a turn takes it: the first letter a capital, a final "." unless it ends with
    "." "!" or "?" (a final "," becomes "."); then upper-cased for the comparison."""
    if not text:
        return text
    if text[0].islower() and "а" <= text[0].lower() <= "я" or text[0] == "ё":
        text = upper_char(text[0]) + text[1:]
    if text[-1] == ",":
        text = text[:-1] + "."
    elif text[-1] not in ".!?":
        text += "."
    return upper(text)


def contains_key(phrase, key, start=0):
    """The position after the match of key in phrase from start, or -1. No backtracking: the
    character that breaks a partial match is not tried again as the key's first."""
    if key not in phrase[start:]:
        return -1
    m = 0
    for i in range(start, len(phrase)):
        if phrase[i] == key[m]:
            m += 1
            if m == len(key):
                return i + 1
        else:
            m = 0
    return -1


def key_words(key):
    words, s = [], 0
    while s < len(key):
        end = key.find(" ", s + 1)
        end = len(key) if end < 0 else end
        words.append(key[s:end])
        s = end + 1
    return words


def contains_words(phrase, key):
    pos = 0
    for w in key_words(key):
        pos = contains_key(phrase, w, pos)
        if pos < 0:
            return False
    return True



# ---- the knowledge file

class Entry:
    def __init__(self, lineno, depth, key, farewell):
        self.lineno = lineno  # file and line of the source, for messages
        self.depth = depth
        self.key = key
        self.farewell = farewell
        self.replies = []

    @property
    def head(self):
        return "_" * self.depth + self.key

    def render(self):
        return self.head + "^" + "".join(r + ";" for r in self.replies) + ("@" if self.farewell else "")


def words_sources():
    folder = os.path.join(SRC, "words")
    return [os.path.join(folder, n) for n in sorted(os.listdir(folder)) if n.endswith(".txt")]


def read_words(paths, faults):
    header = None
    entries = []
    trees = {}  # name -> [(where, line)] of a "!tree NAME" ... "!end" block
    defining = None  # the tree being read, while inside its block

    def take(where, line, below):
        # One source line of an entry or a reply; "below" is the depth the line's own
        # underscores count from (a tree's lines go under the entry that uses it).
        if line[0] in " \t":
            if not entries:
                faults.add(where, "a reply before any key")
                return
            entries[-1].replies.append(line.strip())
            return
        farewell = line.endswith(" @")
        if farewell:
            line = line[:-2]
        depth = len(line) - len(line.lstrip("_"))
        entries.append(Entry(where, below + depth, line[depth:], farewell))

    for path in paths:
        name = os.path.basename(path)
        with open(path, encoding="utf-8") as f:
            for n, raw in enumerate(f, 1):
                line = raw.rstrip("\n")
                where = f"{name}:{n}"
                if not line.strip() or line.startswith("#"):
                    continue
                if line.startswith("!tree "):
                    if defining is not None:
                        faults.add(where, "a tree inside a tree")
                    defining = line[len("!tree "):].strip()
                    if defining in trees:
                        faults.add(where, f"the tree {defining} is defined twice")
                    trees[defining] = []
                    continue
                if line == "!end":
                    if defining is None:
                        faults.add(where, "!end without !tree")
                    defining = None
                    continue
                if defining is not None:
                    trees[defining].append((where, line))
                    continue
                if line.startswith("!use "):
                    tree = line[len("!use "):].strip()
                    if tree not in trees:
                        faults.add(where, f"no tree {tree} above this line")
                    elif not entries:
                        faults.add(where, "a tree used before any key")
                    else:
                        below = entries[-1].depth
                        for w, l in trees[tree]:
                            take(w, l, below)
                    continue
                if line.startswith("!header "):
                    if entries or header is not None:
                        faults.add(where, "the header must come first, and only once")
                    header = line[len("!header "):].replace("@VERSION@", project_version())
                    continue
                take(where, line, 0)
    if defining is not None:
        faults.add("words", f"the tree {defining} has no !end")
    if header is None:
        faults.add("words", "no !header line")
        header = ""
    return header, expand(entries, faults)


def word_keys(part, branch):
    """The keys of a "STEM~ENDINGS" alternative: " STEM" for a word after the first, and each
    named form ending a word for the first word of a phrase. A form followed by a space and a
    letter is also a word of a longer phrase; the word-by-word pass of the main lookup would
    find its two parts apart, the form inside a longer word («выбрать») and the letter anywhere
    after it, so a main phrase takes those keys only where its source says "~~"; branches are
    matched whole and always take them."""
    if "~" not in part:
        return [part]
    if part.startswith("~"):
        return [" " + part[1:]]
    stem, _, endings = part.partition("~")
    letters = branch or endings.startswith("~")
    endings = endings.lstrip("~")
    forms = [stem + e for e in endings.split(",")] if endings else [stem]
    keys = [" " + stem]
    for f in forms:
        if letters and len(f) >= LONG_FORM:
            keys.append(f)  # long enough to be found whole wherever it stands
        else:
            keys.extend(f + end for end in (FIRST_WORD_ENDS if letters else FIRST_WORD_ENDS[:6]))
    return keys


# A form this long is rarely a part of another word.
LONG_FORM = 6


# What may follow the first word of a phrase: a mark, or a space and the next word's letter
# (the program never takes a key that ends in a space, so the letter is part of the key).
FIRST_WORD_ENDS = [".", ",", "!", "?", ")", "-"] + [" " + c for c in "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЭЮЯ"]

# Where a farewell ends its sentence or names whom it is said to.
FAREWELL_ENDS = [".", "!", ",", ")", " ТОВРИН"]


def farewell_keys(part):
    """The keys of a "ФРАЗА+" farewell alternative."""
    if not part.endswith("+"):
        return [part]
    return [part[:-1] + end for end in FAREWELL_ENDS]


def key_alternatives(e, faults):
    """The keys of a source line "КЛЮЧ1 | КЛЮЧ2 | $ДА", in order, each Ё key followed by its twin."""
    keys = []
    for part in e.key.split(" | "):
        if part.startswith("$"):
            if part[1:] not in KEY_SETS:
                faults.add(e.lineno, f"no key set {part}")
                continue
            keys.extend(k for p in KEY_SETS[part[1:]].split(" | ") for k in word_keys(p, False))
        else:
            keys.extend(k for f in farewell_keys(part) for k in word_keys(f, e.depth > 0))
    out = []
    for k in keys:
        variants = [k, k.replace("Ё", "Е")]
        # The scan never backtracks: in «мне не страшно» the "НЕ " of «мне» starts a match
        # that breaks on the "Н" of «не», and that "Н" is not tried again, so the key
        # "НЕ СТРАШН" is not found. A key "НЕ X" of a state (X ends like «страшно»,
        # «страшн…», «нравится» or is «очень») gets the key "МНЕ НЕ X" in front of it.
        words = k.split(" ")
        if words[0] == "НЕ" and len(words) > 1 and (
                words[1][-1] in "ОН" or words[1].endswith("СЯ") or words[1] == "ОЧЕНЬ"):
            variants = ["МНЕ " + v for v in variants] + variants
        for variant in variants:
            # A key that holds an earlier key of the same line adds nothing: the earlier one
            # answers every phrase that holds it.
            if not any(o in variant for o in out):
                out.append(variant)
    return out


def expand(entries, faults):
    """One entry per key of each source line, each with its own copy of the branches below it."""
    def subtree(i):
        # The source entries of the branches of entry i: everything deeper up to the next
        # entry at its depth or above.
        j = i + 1
        while j < len(entries) and entries[j].depth > entries[i].depth:
            j += 1
        return j

    def emit(i, j, shift, out):
        # Emit source entries i..j-1 (siblings at one depth and their subtrees).
        k = i
        while k < j:
            e = entries[k]
            end = subtree(k)
            for key in key_alternatives(e, faults):
                copy = Entry(e.lineno, e.depth, key, e.farewell)
                copy.replies = list(e.replies)
                out.append(copy)
                # A main phrase's branches end at the next main phrase, so each key of a main
                # line gets its own copy of them. The branches of a branch are all the deeper
                # entries up to the next main phrase, those below its later siblings included,
                # so the keys of a branch line share one copy, placed after the last.
                if e.depth == 0:
                    emit(k + 1, end, shift, out)
            if e.depth > 0:
                emit(k + 1, end, shift, out)
            k = end
    out = []
    emit(0, len(entries), 0, out)
    return out


def check_key(e, faults):
    # An empty key, a key in lower case and one that ends in a space are the checker's to name.
    where = f"{e.lineno} [{e.key}]"
    k = e.key
    if any(c in k for c in MARKERS + "_~"):
        faults.add(where, "a marker character inside the key")
    # A leading space is the start of a word (the word-by-word pass keeps it with the word
    # after it).
    if k.strip() != k.strip(" ") or "  " in k:
        faults.add(where, "white space other than a space around the key, or two spaces between its words")
    if not encodable(k):
        faults.add(where, "a character that Windows-1251 cannot hold")
    if profanity_in(k):
        faults.add(where, f"holds the rude stem {profanity_in(k)}: the filter answers first")
    if e.depth == 0:
        if len(k) < 4 and k not in SHORT_KEYS and any(c.isalpha() for c in k):
            faults.add(where, "a main key shorter than four characters matches inside too many words")
        words = k.strip().split(" ")
        if len(words) > 1 and k not in SAFE_COMMON and not any(
                (len(w.strip(",.!?-")) >= 4 and w.strip(",.!?") not in COMMON) or w[-1] in ".!?,"
                for w in words):
            faults.add(where, "every word of the key is a common one: the word-by-word pass "
                              "would answer nearly any phrase with it")
    elif len(k) < 3 and k not in SHORT_KEYS and k not in LAST_LETTERS:
        faults.add(where, "a branch key shorter than three characters")


def check_replies(e, faults):
    where = f"{e.lineno} [{e.key}]"
    if not e.replies:
        faults.add(where, "no replies")
    if e.depth == 0 and len(e.replies) < MIN_MAIN_REPLIES:
        faults.add(where, f"a main phrase with {len(e.replies)} replies, at least {MIN_MAIN_REPLIES} wanted")
    if len(e.replies) > MAX_REPLIES:
        faults.add(where, f"{len(e.replies)} replies, at most {MAX_REPLIES}")
    seen = set()
    for r in e.replies:
        check_phrase(where, r, faults)
        if r in seen:
            faults.add(where, f"the reply «{r}» is given twice")
        seen.add(r)
    if e.farewell and e.depth:
        faults.add(where, "a farewell mark on a branch has no effect")


def check_phrase(where, text, faults, title=False):
    if not text:
        faults.add(where, "an empty phrase")
        return
    if any(c in text for c in MARKERS + "_"):
        faults.add(where, f"a marker character in «{text}»")
    if text != text.strip() or "  " in text:
        faults.add(where, f"stray spaces in «{text}»")
    if not encodable(text):
        faults.add(where, f"a character that Windows-1251 cannot hold in «{text}»")
    if profanity_in(text):
        faults.add(where, f"«{text}» holds the rude stem {profanity_in(text)}")
    if not title and text[-1] not in END_PUNCT:
        faults.add(where, f"«{text}» does not end a sentence")


def candidates(entries, i):
    """The entries that may follow entry i on the next turn: the depth d + 1 entries up to
    the next main phrase."""
    out = []
    depth = entries[i].depth + 1
    for j in range(i + 1, len(entries)):
        e = entries[j]
        if e.depth == 0:
            break
        if e.depth == depth:
            out.append(e)
    return out


def check_farewells(entries, lists, faults):
    """Nothing the program says may close a second copy that reads it from the exchange file:
    no reply of an entry without the farewell mark, and no line of a phrase list, holds a
    farewell key. And a farewell of several words has a catch for one of its words among the
    other main phrases, so that the word-by-word pass, which runs only when no key is found
    whole, never closes the program on those words standing apart in an ordinary sentence."""
    mains = [e for e in entries if e.depth == 0]
    said = [(f"{e.lineno} [{e.key}]", r) for e in entries if not e.farewell for r in e.replies]
    said += [(name, line) for name, lines in lists.items() for line in lines]
    seen = set()
    farewells = [e for e in mains if e.farewell]
    for where, text in said:
        if text in seen:
            continue
        seen.add(text)
        # Held whole or word by word, even where an earlier entry would answer first: the
        # order of the file may change, the text of a reply stays.
        phrase = normalise(text)
        held = next((e for e in farewells if contains_key(phrase, e.key) >= 0
                     or (" " in e.key and contains_words(phrase, e.key))), None)
        if held is not None:
            faults.add(where, f"«{text}» holds the farewell «{held.key}» ({held.lineno}): "
                              f"it would close a second copy")
    others = [e.key for e in mains if not e.farewell]
    for e in mains:
        words = e.key.split(" ")
        if e.farewell and len(words) > 1 and not any(k in w for w in words for k in others):
            faults.add(f"{e.lineno} [{e.key}]", "a farewell of several words without a catch for "
                                                "any of its words: the word-by-word pass would close")


# The short answers of a thread («да.», «нет.», «ок.») stand at the end of many common words:
# «когда.», «станет.», «урок.». A branch for those endings is put right before each such
# short answer below an entry, and asks back.
SHORT_ANSWER_GUARDS = {
    "ДА.": ["ГДА.", "ОДА.", "ЕДА.", "УДА.", "ЗДА."],
    "ДА,": ["ГДА,"],
    "НЕТ.": ["АНЕТ.", "ЯНЕТ."],
    "ОК.": ["РОК.", "НОК.", "ТОК.", "СОК."],
}
GUARD_REPLIES = ["Не совсем понял: это да или нет?", "Так да или нет? Скажи попроще."]


def add_short_answer_guards(entries):
    """The entries with the guards put before the first short answer below each entry."""
    inserts = {}
    for i, parent in enumerate(entries):
        children = []
        for j in range(i + 1, len(entries)):
            if entries[j].depth <= parent.depth:
                break
            if entries[j].depth == parent.depth + 1:
                children.append(j)
        keys = [entries[j].key for j in children]
        for short, endings in SHORT_ANSWER_GUARDS.items():
            place = next((j for j in children if entries[j].key == short), None)
            if place is None:
                continue
            before = [entries[j].key for j in children if j < place]
            for g in endings:
                # A guard that a sibling's key holds is left out (it would hide that sibling),
                # and so is one that holds the key of a sibling above it (which answers first).
                if any(g in k for k in keys) or any(k in g for k in before):
                    continue
                guard = Entry(entries[place].lineno, entries[place].depth, g, False)
                guard.replies = list(GUARD_REPLIES)
                inserts.setdefault(place, []).append(guard)
    out = []
    for i, e in enumerate(entries):
        out.extend(inserts.get(i, []))
        out.append(e)
    return out


def check_structure(entries, faults, said):
    # A branch without an entry above it and a main phrase whose key holds an earlier main
    # key are the checker's to name. A branch whose key holds the key of an earlier branch
    # that may follow the same entry is this script's: the earlier one answers first.
    mains = [e for e in entries if e.depth == 0]
    for i, parent in enumerate(entries):
        cands = candidates(entries, i)
        own = set()
        for k, e in enumerate(entries[i + 1:], i + 1):
            if e.depth <= parent.depth:
                break
            if e.depth == parent.depth + 1:
                own.add(id(e))
        for j, later in enumerate(cands):
            if id(later) not in own:
                continue
            for earlier in cands[:j]:
                if earlier.key in later.key:
                    faults.add(f"{later.lineno} [{later.key}]",
                               f"never reached after «{parent.key}»: «{earlier.key}» "
                               f"({earlier.lineno}) answers first")
                    break

    # A key such as "НЕ ИНТЕРЕСНО" is also found inside "МНЕ ИНТЕРЕСНО", and "мне интересно"
    # would get the answer to "не интересно" unless an earlier entry answers it first.
    def after_mne(key):
        words = key.split(" ")
        return words[0] == "НЕ" and len(words) > 1 and (
            words[1] in ("ОЧЕНЬ", "НРАВИТСЯ") or words[1].endswith("О"))

    def guarded(later, earlier_ones):
        probe = "М" + later.key
        return any(e.key in probe for e in earlier_ones)
    for j, later in enumerate(mains):
        if after_mne(later.key) and not guarded(later, mains[:j]):
            faults.add(f"{later.lineno} [{later.key}]", f"also answers «М{later.key}»: put a guard above it")
    for i, parent in enumerate(entries):
        cands = candidates(entries, i)
        for j, later in enumerate(cands):
            if after_mne(later.key) and not guarded(later, cands[:j]):
                faults.add(f"{later.lineno} [{later.key}]",
                           f"after «{parent.key}» also answers «М{later.key}»: put a guard above it")

    # Most people type Е for Ё; a key with Ё needs a twin written with Е in the same run.
    keys = {(e.depth, e.key) for e in entries}
    for e in entries:
        if "Ё" in e.key and (e.depth, e.key.replace("Ё", "Е")) not in keys:
            faults.add(f"{e.lineno} [{e.key}]", "Ё in a key without its twin written with Е")

    # Learning moves the entry whose head equals what the program said last to the end of
    # the file; a delivered entry must not be taken for one, or its branches would be lost.
    for e in entries:
        if e.head in said:
            faults.add(f"{e.lineno} [{e.key}]",
                       "the key equals something the program says, learning would move it")


# ---- output

def cp1251_crlf(lines):
    return "".join(l + "\r\n" for l in lines).encode("cp1251")


def read_list(name, faults, title):
    lines = []
    with open(os.path.join(SRC, name), encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            check_phrase(f"{name}:{n}", line, faults, title=title and not lines)
            lines.append(line)
    return lines


def build(faults, report):
    outputs = {}
    lists = {}
    for out, src, minimum, titled in LISTS:
        lines = read_list(src, faults, titled)
        phrases = lines[1:] if titled else lines
        if len(phrases) < minimum:
            faults.add(src, f"{len(phrases)} phrases, at least {minimum} wanted")
        dup = {p for p in phrases if phrases.count(p) > 1}
        for p in sorted(dup):
            faults.add(src, f"«{p}» twice")
        lists[out] = phrases
        outputs[os.path.join(BASE, out)] = cp1251_crlf(lines)

    header, entries = read_words(words_sources(), faults)
    entries = add_short_answer_guards(entries)
    said = set()
    for out in ("W1.Dat", "W2.Dat", "Povtor.Dat", "X.Dat", "BigString.Dat"):
        said.update(upper(p) for p in lists[out])
    for e in entries:
        said.update(upper(r) for r in e.replies)
    for e in entries:
        check_key(e, faults)
        check_replies(e, faults)
    check_structure(entries, faults, said)
    check_farewells(entries, lists, faults)

    mains = [e for e in entries if e.depth == 0]
    branches = [e for e in entries if e.depth > 0]
    deep = [e for e in entries if e.depth >= 2]
    if len(mains) < MIN_MAIN:
        faults.add("words", f"{len(mains)} main phrases, at least {MIN_MAIN} wanted")
    if len(branches) < MIN_BRANCHES:
        faults.add("words", f"{len(branches)} branches, at least {MIN_BRANCHES} wanted")
    if not deep:
        faults.add("words", "no branch of depth 2")
    for farewell in ("ПОКА.", "ПОКА!", "ДО СВИДАНИЯ.", "ПРОЩАЙ.", "ДО ВСТРЕЧИ."):
        if not any(e.key == farewell and e.farewell for e in mains):
            faults.add("words", f"no farewell entry «{farewell}»")
    outputs[os.path.join(BASE, "Words.Dat")] = cp1251_crlf([header] + [e.render() for e in entries])

    for name in EMPTY_FILES:
        outputs[os.path.join(BASE, name)] = b""

    with open(os.path.join(SRC, "ReadMe.txt"), encoding="utf-8") as f:
        history = f.read().split("\n")
    if history and history[-1] == "":
        history.pop()
    for n, line in enumerate(history, 1):
        if not encodable(line):
            faults.add(f"ReadMe.txt:{n}", "a character that Windows-1251 cannot hold")
    outputs[os.path.join(DATA, "ReadMe.Txt")] = cp1251_crlf(history)

    if report is not None:
        report.append(f"Words.Dat: {len(mains)} main phrases, {len(branches)} branches "
              f"({len(deep)} of depth 2), {sum(len(e.replies) for e in entries)} replies, "
              f"{sum(e.farewell for e in entries)} farewells")
        for out, _, _, titled in LISTS:
            report.append(f"{out}: {len(lists[out])} phrases" + (" after the title line" if titled else ""))
        report.append(f"ReadMe.Txt: {len(history)} lines")
    return outputs, entries


# ---- the program's checker

def find_checker(argv):
    """The tovrin-kb to check with: --kb PATH, else $TOVRIN_KB, else the newest build*/tovrin-kb
    of the tree; None when there is none."""
    if "--kb" in argv:
        i = argv.index("--kb")
        return argv[i + 1] if i + 1 < len(argv) else None
    if os.environ.get("TOVRIN_KB"):
        return os.environ["TOVRIN_KB"]
    built = [p for p in glob.glob(os.path.join(HERE, os.pardir, "build*", "tovrin-kb")) if os.access(p, os.X_OK)]
    return max(built, key=os.path.getmtime) if built else None


# "Base\Words.Dat:12: ошибка: ..." or "... предупреждение: ..."
FINDING = re.compile(r"^Base\\Words\.Dat:(\d+): (?:ошибка|предупреждение): (.*)$")


def check_with_program(kb, outputs, entries, faults):
    """Runs `tovrin-kb check` on the knowledge file and the phrase lists as they would be
    written; every finding, error or warning, is a fault, named by the source line it came from."""
    if not kb:
        faults.add("words", "no tovrin-kb to check the knowledge file with: build it "
                            "(cmake --build build --target tovrin-kb) or name it with --kb PATH")
        return
    with tempfile.TemporaryDirectory(prefix="make_data-") as folder:
        os.mkdir(os.path.join(folder, "Base"))
        for path, data in outputs.items():
            if os.path.dirname(os.path.abspath(path)) == os.path.abspath(BASE):
                with open(os.path.join(folder, "Base", os.path.basename(path)), "wb") as f:
                    f.write(data)
        try:
            run = subprocess.run([kb, "-C", folder, "check", "--no-words"], capture_output=True)
        except OSError as error:
            faults.add("words", f"tovrin-kb could not be run ({kb}): {error}")
            return
    out = run.stdout.decode("utf-8", "replace").splitlines()
    findings = [FINDING.match(line) for line in out]
    for found in filter(None, findings):
        n = int(found.group(1))
        where = f"{entries[n - 1].lineno} [{entries[n - 1].key}]" if 0 < n <= len(entries) else f"Words.Dat:{n}"
        faults.add(where, f"tovrin-kb check: {found.group(2)}")
    # The checker's own failure (a file it could not read, a crash) is a fault too, and so is
    # a refusal without a finding to say why.
    if run.returncode not in (0, 1) or (run.returncode == 1 and not any(findings)):
        faults.add("words", f"tovrin-kb check ended with {run.returncode}: "
                            + run.stderr.decode("utf-8", "replace").strip())


def main(argv):
    faults = Faults()
    report = [] if "--report" in argv or "--check" not in argv else None
    outputs, entries = build(faults, report)
    check_with_program(find_checker(argv), outputs, entries, faults)
    if faults.items:
        print("\n".join(faults.items), file=sys.stderr)
        print(f"{len(faults.items)} faults; nothing written", file=sys.stderr)
        return 1
    if "--check" in argv:
        stale = []
        for path, data in outputs.items():
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(path)
            except FileNotFoundError:
                stale.append(path)
        if stale:
            print("stale: " + ", ".join(os.path.relpath(p) for p in stale), file=sys.stderr)
            return 1
        print("\n".join(report or []))
        return 0
    os.makedirs(BASE, exist_ok=True)
    for path, data in outputs.items():
        with open(path, "wb") as f:
            f.write(data)
    # The counts come after the files are written, so a closed pipe cannot stop the build.
    print("\n".join(report or []))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
