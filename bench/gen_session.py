#!/usr/bin/env python3
"""Writes a long scripted session of legal play for combo to standard output.

Usage: gen_session.py SEED COMBOS

The same SEED and COMBOS always give the same bytes. Each combo takes a
random starter (now and then 0, the empty chain), then follow-ups until the
current move has no open link left: mostly a random open link, sometimes one
that is closed (0 among them), which the program answers with its
impossible message before listing the same links again. Each combo is
followed by the replay answer 1, and the last by 0, which ends the program
with status 0. Numbers are separated by spaces, combos by line breaks.
"""

import random
import sys

# Initial link table: row k lists the open follow-ups of move k.
INITIAL_LINKS = {
    1: (2, 3, 4, 6, 7),
    2: (1, 2, 3, 5, 6),
    3: (1, 2, 5),
    4: (2, 3, 5, 6, 7, 8),
    5: (2, 3, 4, 6, 7, 8),
    6: (2, 6, 7),
    7: (6,),
    8: (6, 7),
}

EMPTY_STARTER = 0.05  # share of combos that start with 0
IMPOSSIBLE = 0.08     # share of follow-ups that pick a closed link


def combo_numbers(rng):
    """Returns the answers of one combo, starter first, replay answer not
    included."""
    if rng.random() < EMPTY_STARTER:
        return [0]
    current = rng.randint(1, 8)
    numbers = [current]
    links = {k: list(v) for k, v in INITIAL_LINKS.items()}
    while links[current]:
        if rng.random() < IMPOSSIBLE:
            closed = [j for j in range(0, 9) if j not in links[current]]
            numbers.append(rng.choice(closed))
            continue
        choice = rng.choice(links[current])
        links[current].remove(choice)
        numbers.append(choice)
        current = choice
    return numbers


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: gen_session.py SEED COMBOS")
    seed, combos = int(sys.argv[1]), int(sys.argv[2])
    if combos < 1:
        sys.exit("gen_session.py: COMBOS must be at least 1")
    rng = random.Random(seed)
    lines = []
    for i in range(combos):
        numbers = combo_numbers(rng)
        numbers.append(1 if i + 1 < combos else 0)
        lines.append(" ".join(map(str, numbers)))
    sys.stdout.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
