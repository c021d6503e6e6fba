#!/usr/bin/env python3
"""The generator's reading of the knowledge sources: trees written once and used under several
entries, and the faults of a wrong tree. Run: python3 tests/tree/make_data_test.py"""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data-src"))
import make_data  # noqa: E402


def read(text):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "words.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write("!header Knowledge\n" + text)
        faults = make_data.Faults()
        _, entries = make_data.read_words([path], faults)
        return [(e.head, e.replies) for e in entries], faults.items


GAME = "!tree GAME\n_А.\n    Астрахань!\n__Н.\n    Норильск!\n!end\n"


class Trees(unittest.TestCase):
    def test_a_tree_goes_under_the_entry_above_each_use(self):
        for name, text, heads in [
            ("under a main phrase", GAME + "ИГРА\n    Начинай!\n!use GAME\n",
             ["ИГРА", "_А.", "__Н."]),
            ("under two keys, a copy each", GAME + "ИГРА | ГОРОДА\n    Начинай!\n!use GAME\n",
             ["ИГРА", "_А.", "__Н.", "ГОРОДА", "_А.", "__Н."]),
            ("under a branch, a level deeper",
             GAME + "ЗАГАДКА\n    Ёлка?\n_ДАЛЬШЕ\n    Кончились. Города?\n!use GAME\n",
             ["ЗАГАДКА", "_ДАЛЬШЕ", "__А.", "___Н."]),
            ("twice, the same lines", GAME + "ИГРА\n    Да!\n!use GAME\nСЫГРАЕМ\n    Да!\n!use GAME\n",
             ["ИГРА", "_А.", "__Н.", "СЫГРАЕМ", "_А.", "__Н."]),
        ]:
            with self.subTest(name):
                entries, faults = read(text)
                self.assertEqual(faults, [])
                self.assertEqual([h for h, _ in entries], heads)
                self.assertTrue(all(r == ["Астрахань!"] for h, r in entries if h.endswith("А.")))

    def test_a_wrong_tree_is_a_fault(self):
        for name, text, fault in [
            ("used before it is written", "ИГРА\n    Да!\n!use GAME\n" + GAME, "no tree GAME"),
            ("never ended", "!tree GAME\n_А.\n    Астрахань!\n", "has no !end"),
            ("an end without a start", "ИГРА\n    Да!\n!end\n", "!end without !tree"),
            ("written twice", GAME + GAME, "defined twice"),
            ("used before any key", GAME + "!use GAME\n", "before any key"),
        ]:
            with self.subTest(name):
                _, faults = read(text)
                self.assertTrue(any(fault in f for f in faults), faults)


if __name__ == "__main__":
    unittest.main()
