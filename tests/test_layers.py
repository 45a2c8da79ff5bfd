"""The engine's folders stay layered: following includes from folder to folder never leads back to
where it started, and `src/` holds folders and the one engine-wide header beside them."""

import pathlib
import re

SRC = pathlib.Path(__file__).resolve().parent.parent / "src"
INCLUDE = re.compile(r'^#include "([^"]+)"', re.MULTILINE)


def folder(path: pathlib.PurePath) -> str:
    return path.parts[0] if len(path.parts) > 1 else "."


def folder_includes() -> dict[str, set[str]]:
    edges: dict[str, set[str]] = {}
    for source in SRC.rglob("*.[ch]pp"):
        own = folder(source.relative_to(SRC))
        for included in INCLUDE.findall(source.read_text()):
            other = folder(pathlib.PurePath(included))
            if other != own:
                edges.setdefault(own, set()).add(other)
    return edges


def test_no_folder_includes_one_that_includes_it_back():
    edges = folder_includes()
    assert {"frame", "exact", "sampled", "running"} <= edges.keys(), "the walk found no includes"

    def reaches(start: str, goal: str, seen: set[str]) -> bool:
        if start == goal:
            return True
        seen.add(start)
        return any(reaches(n, goal, seen) for n in edges.get(start, ()) if n not in seen)

    circles = sorted(
        (a, b) for a, targets in edges.items() for b in targets if reaches(b, a, set())
    )
    assert circles == [], f"folders that include each other, directly or by a longer way: {circles}"


def test_src_holds_folders_and_the_engine_wide_header():
    loose = sorted(path.name for path in SRC.iterdir() if path.is_file())
    assert loose == ["expected.hpp"]
