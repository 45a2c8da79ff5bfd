"""The README's Python examples, run as written: so that none of them can go stale.

Each `##` section of the README runs in a namespace of its own, its blocks in order: a `python`
block is executed (it defines what later blocks use), a `pycon` block is a doctest whose shown
output must match what the module prints. Shell blocks are commands, run by CI itself.
"""

import doctest
import itertools
import pathlib
import re

import pytest

README = pathlib.Path(__file__).resolve().parent.parent / "README.md"
FENCE = re.compile(r"^```(\w*)\n(.*?)^```\n", re.S | re.M)
RUN = {"python", "pycon"}
SHOWN = RUN | {"sh", "text", "toml"}


def sections():
    """(heading, [(language, first line number, source)]) for every section with examples."""
    text = README.read_text(encoding="utf-8")
    starts = [m.start() for m in re.finditer(r"^## ", text, re.M)] + [len(text)]
    found = []
    for begin, end in itertools.pairwise(starts):
        body = text[begin:end]
        heading = body.splitlines()[0][3:]
        blocks = []
        for match in FENCE.finditer(body):
            line = text.count("\n", 0, begin + match.start(2)) + 1
            blocks.append((match.group(1), line, match.group(2)))
        if any(language in RUN for language, _, _ in blocks):
            found.append((heading, blocks))
    return found


SECTIONS = sections()


def test_every_block_names_its_language():
    # An unlabelled or mislabelled block would be skipped without a word.
    text = README.read_text(encoding="utf-8")
    languages = [m.group(1) for m in FENCE.finditer(text)]
    assert languages and set(languages) <= SHOWN, languages


@pytest.mark.parametrize("heading, blocks", SECTIONS, ids=[heading for heading, _ in SECTIONS])
def test_section_examples(heading, blocks):
    namespace = {"__name__": "readme"}
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    parser = doctest.DocTestParser()
    report = []
    for language, line, source in blocks:
        if language == "python":
            exec(compile("\n" * (line - 1) + source, str(README), "exec"), namespace)
        elif language == "pycon":
            test = parser.get_doctest(source, namespace, heading, str(README), line - 1)
            assert test.examples, f"line {line}: a pycon block without >>> examples"
            runner.run(test, out=report.append, clear_globs=False)
            namespace.update(test.globs)  # a doctest runs on a copy of the names it is given
    assert runner.failures == 0, "".join(report)
    assert runner.tries > 0 or any(language == "python" for language, _, _ in blocks)
