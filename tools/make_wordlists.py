#!/usr/bin/env python3
"""Builds the committed word lists from SCOWL (Debian package scowl).

resources/words/dictionary.txt  words of 2 to 14 letters a-z from the
    english, american, british and canadian word lists of sizes up to 80;
resources/words/candidates.txt  the computer player's words: 3 to 7 letters,
    from the same spellings at sizes up to 20, all of them in the dictionary;
resources/words/SCOWL-COPYRIGHT  the notice that must travel with the lists.

Both lists are sorted in byte order, one word a line. Run it again after a
SCOWL update:  python3 tools/make_wordlists.py [--scowl DIR] [--out DIR]
"""
import argparse
import pathlib
import re
import shutil
import sys

SPELLINGS = ("english", "american", "british", "canadian")
DICTIONARY_MAX_SIZE = 80
CANDIDATE_MAX_SIZE = 20
# Lower case a-z only: capitals (proper names), apostrophes and accented
# letters cannot be spelled with the game's tiles.
PLAIN = re.compile(rb"[a-z]+")


def list_files(scowl, max_size):
    pattern = re.compile(r"^(%s)-words\.(\d+)$" % "|".join(SPELLINGS))
    found = []
    for path in sorted(scowl.iterdir()):
        m = pattern.match(path.name)
        if m and int(m.group(2)) <= max_size:
            found.append(path)
    return found


def read_words(files, shortest, longest):
    words = set()
    for path in files:
        # Bytes, not text: the lists are UTF-8 today and Latin-1 in older
        # releases, and anything outside a-z is dropped either way.
        for line in path.read_bytes().splitlines():
            word = line.strip()
            if PLAIN.fullmatch(word) and shortest <= len(word) <= longest:
                words.add(word)
    return words


def write_list(path, words):
    path.write_bytes(b"".join(w + b"\n" for w in sorted(words)))


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scowl", type=pathlib.Path, default=pathlib.Path("/usr/share/dict/scowl"))
    parser.add_argument("--copyright", type=pathlib.Path, default=pathlib.Path("/usr/share/doc/scowl/copyright"))
    parser.add_argument("--out", type=pathlib.Path, default=root / "resources" / "words")
    args = parser.parse_args()

    dict_files = list_files(args.scowl, DICTIONARY_MAX_SIZE)
    cand_files = list_files(args.scowl, CANDIDATE_MAX_SIZE)
    if not dict_files:
        sys.exit("no SCOWL word lists in %s (install the scowl package)" % args.scowl)

    dictionary = read_words(dict_files, 2, 14)
    candidates = read_words(cand_files, 3, 7) & dictionary

    args.out.mkdir(parents=True, exist_ok=True)
    write_list(args.out / "dictionary.txt", dictionary)
    write_list(args.out / "candidates.txt", candidates)
    shutil.copyfile(args.copyright, args.out / "SCOWL-COPYRIGHT")
    print("dictionary.txt: %d words from %d lists" % (len(dictionary), len(dict_files)))
    print("candidates.txt: %d words from %d lists" % (len(candidates), len(cand_files)))


if __name__ == "__main__":
    main()
