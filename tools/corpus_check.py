#!/usr/bin/env python3
"""Runs the conversation corpus (tools/corpus/corpus.txt) through a faithful copy of the
program's lookup over the delivered data/Base/Words.Dat, and prints each miss and the shares.

This is a quick twin of `tovrin-kb test` for work on the data: the phrase is normalised as
Part 2.1 says (first Cyrillic letter capitalised, a final "." added unless it ends in . ! ?,
a final "," made "."), a phrase that hits the profanity list is answered by X.Dat, and the
lookup is that of Part 2.4: branches of the previous reply's entry first, then the first
contiguous key in file order, then the first key whose words occur in order.

    python3 tools/corpus_check.py [CORPUS] [--data DIR] [--part tuning|held-back] [--quiet]
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_data  # noqa: E402  (the profanity list and the upper case of the program)


def upper(text):
    return make_data.upper(text)


def normalise(phrase):
    if not phrase:
        return phrase
    c = phrase[0]
    if "а" <= c <= "я" or c == "ё":
        phrase = c.upper() + phrase[1:]
    if phrase[-1] == ",":
        phrase = phrase[:-1] + "."
    elif phrase[-1] not in ".!?":
        phrase += "."
    return phrase


def contains_key(text, key, start=1):
    if not key:
        return 0
    m = 0
    i = max(start - 1, 0)
    while i < len(text):
        if len(text) - i < len(key) - m:
            return 0
        if text[i] == key[m]:
            m += 1
            if m == len(key):
                return i + 1
        else:
            m = 0
        i += 1
    return 0


def contains_words(text, key):
    if not key:
        return False
    frm = 1
    begin = 0
    while begin < len(key):
        end = key.find(" ", begin + 1)
        if end < 0:
            end = len(key)
        found = contains_key(text, key[begin:end], frm)
        if not found:
            return False
        frm = found + 1
        begin = end + 1
    return True


class Line:
    def __init__(self, text):
        self.text = text
        caret = text.find("^")
        self.head = text[:caret] if caret >= 0 else text
        self.depth = len(self.head) - len(self.head.lstrip("_"))
        self.key = self.head[self.depth:]
        rest = text[caret + 1:] if caret >= 0 else ""
        self.farewell = rest.endswith("@")
        if self.farewell:
            rest = rest[:-1]
        self.replies = [r for r in rest.split(";")[:-1]]


class Engine:
    def __init__(self, data):
        with open(os.path.join(data, "Base", "Words.Dat"), "rb") as f:
            raw = f.read().decode("cp1251")
        self.lines = [Line(t) for t in raw.split("\r\n")[:-1]]
        self.depth = 0
        self.line = 0

    def after_reply(self, reply):
        for i, l in enumerate(self.lines[1:], 1):
            if reply in l.replies:
                self.depth = l.depth + 1
                self.line = i
                return True
        return False

    def say(self, phrase):
        """The Words.Dat line that answers, "X.Dat" for profanity, or None for a fallback."""
        p = normalise(phrase)
        text = upper(p)
        probe = text
        for stem in make_data.PROFANITY:
            if contains_key(probe, stem):
                return "X.Dat"
        if self.depth >= 1:
            while True:
                self.line += 1
                if self.line >= len(self.lines):
                    self.depth = 0
                    break
                l = self.lines[self.line]
                if l.depth == 0:
                    self.depth = 0
                    break
                if l.depth != self.depth or not l.replies:
                    continue
                if contains_key(text, l.key):
                    self.depth += 1
                    return l
        found = by_words = None
        for i, l in enumerate(self.lines[1:], 1):
            if not l.replies:
                continue
            if contains_key(text, l.head):
                found = (i, l)
                break
            if by_words is None and contains_words(text, l.head):
                by_words = (i, l)
        found = found or by_words
        if not found:
            return None
        self.line, l = found
        self.depth = 1
        return l


def read_corpus(path):
    cases = []
    part = topic = None
    with open(path, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("[part "):
                part = line[6:line.index("]")]
                continue
            if line.startswith("[topic "):
                topic = line[7:line.index("]")]
                continue
            fields = line.split("\t")
            prev = fields[2] if len(fields) > 2 else None
            cases.append((n, part, topic, fields[0], fields[1], prev))
    return cases


def judge(engine, phrase, expected, prev):
    if prev is not None and not engine.after_reply(prev):
        return False, "the previous reply is in no entry"
    got = engine.say(phrase)
    if got == "X.Dat":
        return expected == "learn", "profanity retort"
    farewell = got is not None and got.depth == 0 and got.farewell
    name = got.head if got is not None else "fallback"
    if expected == "farewell":
        return farewell, name
    if expected == "learn":
        return not farewell, name + (" (FAREWELL)" if farewell else "")
    keys = [k.strip() for k in expected.split(" | ")]
    return got is not None and got.head in keys, name + (" (FAREWELL)" if farewell else "")


def main(argv):
    corpus = os.path.join(HERE, "corpus", "corpus.txt")
    data = os.path.join(HERE, os.pardir, "data")
    only = None
    quiet = "--quiet" in argv
    args = [a for a in argv if a != "--quiet"]
    i = 0
    while i < len(args):
        if args[i] == "--data":
            data = args[i + 1]; i += 2; continue
        if args[i] == "--part":
            only = args[i + 1]; i += 2; continue
        corpus = args[i]; i += 1
    cases = read_corpus(corpus)
    stats = {}
    topics = {}
    bad_farewells = 0
    for n, part, topic, phrase, expected, prev in cases:
        if only and part != only:
            continue
        engine = Engine(data)
        ok, got = judge(engine, phrase, expected, prev)
        s = stats.setdefault(part, [0, 0])
        s[1] += 1
        t = topics.setdefault((part, topic), [0, 0])
        t[1] += 1
        if ok:
            s[0] += 1
            t[0] += 1
        else:
            if "(FAREWELL)" in got:
                bad_farewells += 1
            if not quiet:
                print(f"MISS {part}/{topic} line {n}: «{phrase}» wants {expected}, got {got}")
    for (part, topic), (good, total) in sorted(topics.items()):
        if not quiet:
            print(f"  {part:9} {topic:14} {good:4}/{total:<4} {100.0 * good / total:5.1f}%")
    for part, (good, total) in stats.items():
        print(f"{part}: {good}/{total} = {100.0 * good / total:.1f}%")
    print(f"unintended farewells: {bad_farewells}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
