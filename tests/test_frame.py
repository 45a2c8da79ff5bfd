"""The module's Python face: its functions, signatures, docstrings, argument binding and
conversion, and how failures surface."""

import inspect
import operator
import re
import subprocess
import sys

import pytest

import vantor

# name -> [(parameter, kind)], in declaration order, and how many are required.
SIGNATURES = {
    "variants": ([], 0),
    "chunk": (
        [
            ("variant", "str"),
            ("hands", "seats"),
            ("board", "masks"),
            ("dead", "int"),
            ("samples", "int"),
            ("seed", "int"),
            ("threads", "int"),
        ],
        5,
    ),
    "chunk_from_text": (
        [
            ("variant", "str"),
            ("hands", "texts"),
            ("board", "str"),
            ("dead", "str"),
            ("samples", "int"),
            ("seed", "int"),
            ("threads", "int"),
        ],
        2,
    ),
    "exact": ([("variant", "str"), ("hands", "seats"), ("board", "masks"), ("dead", "int")], 4),
    "exact_from_text": (
        [("variant", "str"), ("hands", "texts"), ("board", "str"), ("dead", "str")],
        2,
    ),
    "default_thread_count": ([], 0),
    "parse_hand_field": ([("text", "str"), ("slots", "int"), ("allow_short", "bool")], 2),
    "parse_dead_cards": ([("text", "str")], 1),
    "card_index": ([("text", "str")], 1),
    "card_name": ([("index", "u8")], 1),
    "score_batch": ([("kernel", "str"), ("hands", "texts")], 2),
    "full_deck": ([], 0),
}
ORDER = list(SIGNATURES)
WITH_PARAMETERS = [name for name in ORDER if SIGNATURES[name][0]]

AH, KH, QS, QD = 1 << 50, 1 << 46, 1 << 43, 1 << 41
VALID = {
    "variants": {},
    "chunk": dict(
        variant="holdem",
        hands=[[[AH, KH]], [[QS, QD]]],
        board=[],
        dead=0,
        samples=1000,
        seed=0,
        threads=1,
    ),
    "chunk_from_text": dict(
        variant="holdem", hands=["AhKh", "QsQd"], board="", dead="", samples=1000, seed=0, threads=1
    ),
    "exact": dict(variant="holdem", hands=[[[AH, KH]], [[QS, QD]]], board=[], dead=0),
    "exact_from_text": dict(variant="holdem", hands=["AhKh", "QsQd"], board="", dead=""),
    "default_thread_count": {},
    "parse_hand_field": dict(text="AhKh", slots=2, allow_short=False),
    "parse_dead_cards": dict(text="Ah"),
    "card_index": dict(text="Ah"),
    "card_name": dict(index=50),
    "score_batch": dict(kernel="high", hands=["AhKhQsQd2c7d9s"]),
    "full_deck": {},
}


def call_core(name, *args, **kwargs):
    """Calls a function whose arguments are all acceptable and returns what its core gives."""
    return getattr(vantor, name)(*args, **kwargs)


class IndexLike:
    """Not an int, but usable as one through __index__."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


DOCS = {
    "variants": "variants()\n--\n\nEvery game this library plays.\n\nEach entry carries the key to pass back in, a label to show, and how the\ngame deals, so a caller can build its own menu without a table of its own.",
    "chunk": 'chunk(variant, hands, board, dead, samples, seed=0, threads=0)\n--\n\nSamples a batch of deals, taking masks.\n\n`hands` is one entry per seat, each a list of whole alternatives, each\nalternative one mask per card the player holds. A named card is a mask\nwith one bit; "any ace" is a mask with four.\n\nThe sampling runs with the GIL released, so a caller can keep repainting\nwhile it works.',
    "chunk_from_text": 'chunk_from_text(variant, hands, board="", dead="", samples=100000, seed=0, threads=0)\n--\n\nSamples a batch of deals, taking this library\'s notation.\n\nThe convenience form: `["AhKh", "QsQd"]` for hold\'em, `"Kh Qh Jh"` for a\nflop. The mask form is the one to reach for from a program that already\nholds masks; this one is for everything else.',
    "exact": "exact(variant, hands, board, dead)\n--\n\nWalks every deal, taking masks, or returns `None` when there are too many.\n\nThe mask twin of [`exact_from_text`]. A caller passing masks could not ask\nfor an exact answer at all before this, which is backwards: exact matters\nmost on a river spot, and a river spot is exactly when someone has the\ncalculator open.",
    "exact_from_text": 'exact_from_text(variant, hands, board="", dead="")\n--\n\nWalks every deal instead of sampling, or returns `None` when there are too\nmany to walk.\n\nAn exact result carries a standard error of zero, because there is nothing\nuncertain about it.',
    "default_thread_count": "default_thread_count()\n--\n\nHow many threads a batch spreads over when none is asked for.",
    "parse_hand_field": "parse_hand_field(text, slots, allow_short=False)\n--\n\nReads a hand field into masks, which is how another implementation of\nthe notation can be checked against this one without running a whole\nsimulation.\n\n`slots` is how many cards the game deals a player. Where cards arrive over\ntime -- stud, a draw game -- a shorter field is allowed and means the rest\nare still to come.",
    "parse_dead_cards": "parse_dead_cards(text)\n--\n\nReads dead cards into one mask. They must be named exactly.",
    "card_index": "card_index(text)\n--\n\nThe index of a named card, as `rank * 4 + suit`.",
    "card_name": "card_name(index)\n--\n\nThe name of a card index, uppercase rank and lowercase suit.",
    "score_batch": 'score_batch(kernel, hands)\n--\n\nScores a batch of hands against one of the ranking kernels.\n\nLower is better. This exists for `validation/`, which asks an outside\nevaluator whether it agrees; it takes whole batches because crossing this\nboundary a hundred million times, one hand at a time, would cost more than\nthe comparison itself.\n\n`kernel` is one of `high`, `deuce_seven`, `low_a5`, `short_deck` or\n`badugi`. Cards are written as usual: `"AhKhQsQd2c7d9s"`.',
    "full_deck": "full_deck()\n--\n\nA mask holding every card in a standard deck.",
}


class TestModule:
    def test_exactly_the_twelve_functions_in_order(self):
        public = [name for name in vars(vantor) if not name.startswith("__")]
        assert public == ORDER

    def test_module_docstring_is_empty(self):
        assert vantor.__doc__ == ""

    def test_built_against_the_stable_abi(self):
        assert ".abi3." in vantor.__file__

    def test_import_prints_nothing(self):
        run = subprocess.run(
            [sys.executable, "-c", "import vantor"], capture_output=True, text=True, check=True
        )
        assert (run.stdout, run.stderr) == ("", "")

    def test_full_deck_from_a_fresh_interpreter(self):
        run = subprocess.run(
            [sys.executable, "-c", "import vantor; print(vantor.full_deck())"],
            capture_output=True,
            text=True,
            check=True,
        )
        assert run.stdout == "4503599627370495\n"


@pytest.mark.parametrize("name", ORDER)
class TestDocumentation:
    def test_docstring(self, name):
        signature_line, body = DOCS[name].split("\n--\n\n", 1)
        function = getattr(vantor, name)
        assert function.__doc__ == body
        assert function.__text_signature__ == signature_line[len(name) :]

    def test_signature(self, name):
        parameters, required = SIGNATURES[name]
        signature = inspect.signature(getattr(vantor, name))
        assert [p.name for p in signature.parameters.values()] == [p for p, _ in parameters]
        kinds = {p.kind for p in signature.parameters.values()}
        assert kinds <= {inspect.Parameter.POSITIONAL_OR_KEYWORD}
        defaults = [p.default for p in signature.parameters.values()]
        assert all(d is inspect.Parameter.empty for d in defaults[:required])
        assert all(d is not inspect.Parameter.empty for d in defaults[required:])


def test_chunk_from_text_signature_shows_its_defaults():
    assert str(inspect.signature(vantor.chunk_from_text)) == (
        "(variant, hands, board='', dead='', samples=100000, seed=0, threads=0)"
    )


class TestBinding:
    @pytest.mark.parametrize("name", ORDER)
    def test_too_many_positional_arguments(self, name):
        parameters, required = SIGNATURES[name]
        args = list(VALID[name].values()) + [0]
        if not parameters:
            expected = f"{name}() takes no arguments (1 given)"
        else:
            bound = "exactly" if required == len(parameters) else "at most"
            plural = "" if len(parameters) == 1 else "s"
            expected = (
                f"{name}() takes {bound} {len(parameters)} positional argument{plural} "
                f"({len(args)} given)"
            )
        with pytest.raises(TypeError, match=f"^{re.escape(expected)}$"):
            getattr(vantor, name)(*args)

    @pytest.mark.parametrize(
        "name, position",
        [(n, i) for n in ORDER for i in range(SIGNATURES[n][1])],
    )
    def test_missing_required_argument(self, name, position):
        parameter = SIGNATURES[name][0][position][0]
        kwargs = dict(VALID[name])
        del kwargs[parameter]
        expected = f"{name}() missing required argument '{parameter}' (pos {position + 1})"
        with pytest.raises(TypeError, match=f"^{re.escape(expected)}$"):
            getattr(vantor, name)(**kwargs)

    @pytest.mark.parametrize("name", ORDER)
    def test_unknown_keyword(self, name):
        expected = f"{name}() got an unexpected keyword argument 'bogus'"
        with pytest.raises(TypeError, match=f"^{re.escape(expected)}$"):
            getattr(vantor, name)(**VALID[name], bogus=1)

    @pytest.mark.parametrize("name", WITH_PARAMETERS)
    def test_parameter_given_twice(self, name):
        first = SIGNATURES[name][0][0][0]
        kwargs = dict(VALID[name])
        value = kwargs.pop(first)
        expected = f"{name}() got multiple values for argument '{first}'"
        with pytest.raises(TypeError, match=f"^{re.escape(expected)}$"):
            getattr(vantor, name)(value, **kwargs, **{first: value})

    @pytest.mark.parametrize("name", WITH_PARAMETERS)
    def test_binding_errors_come_before_any_conversion(self, name):
        # Every value is of the wrong type; the binding error must still be the one reported.
        parameters, required = SIGNATURES[name]
        wrong = [object()] * required
        with pytest.raises(TypeError, match="unexpected keyword argument 'bogus'"):
            getattr(vantor, name)(*wrong, bogus=1)
        if required:
            with pytest.raises(TypeError, match="missing required argument"):
                getattr(vantor, name)(*wrong[:-1])

    @pytest.mark.parametrize("name", WITH_PARAMETERS)
    def test_all_positional_and_all_keyword_calls_agree(self, name):
        values = VALID[name]
        assert call_core(name, *values.values()) == call_core(name, **values)

    def test_exact_with_five_positional_arguments(self):
        with pytest.raises(TypeError):
            vantor.exact("holdem", [[[AH, KH]], [[QS, QD]]], [], 0, 5)

    def test_exact_from_text_with_keywords(self):
        call_core("exact_from_text", variant="holdem", hands=["AhKh", "QsQd"])

    @pytest.mark.parametrize("name", ["chunk_from_text", "exact_from_text", "parse_hand_field"])
    def test_only_the_required_arguments(self, name):
        required = SIGNATURES[name][1]
        call_core(name, *list(VALID[name].values())[:required])

    def test_chunk_from_text_defaults(self):
        # A batch is reproducible, so the defaults show in its result: 100,000 samples, seed 0,
        # and as many pieces as default_thread_count() gives threads.
        written_out = vantor.chunk_from_text(
            "holdem", ["AhKh", "QsQd"], "", "", 100_000, 0, vantor.default_thread_count()
        )
        assert vantor.chunk_from_text("holdem", ["AhKh", "QsQd"]) == written_out
        assert written_out["samples"] == 100_000

    def test_chunk_seed_and_threads_default(self):
        hands = [[[AH, KH]], [[QS, QD]]]
        written_out = vantor.chunk("holdem", hands, [], 0, 500, 0, vantor.default_thread_count())
        assert vantor.chunk("holdem", hands, [], 0, 500) == written_out


# kind -> [(bad value, exception, message template)]; "{p}" stands for the parameter's name.
BAD_VALUES = {
    "str": [
        (5, TypeError, "argument '{p}': 'int' object cannot be converted to 'str'"),
        (b"AhKh", TypeError, "argument '{p}': 'bytes' object cannot be converted to 'str'"),
        (None, TypeError, "argument '{p}': 'NoneType' object cannot be converted to 'str'"),
    ],
    "texts": [
        ("AhKh", TypeError, "argument '{p}': Can't extract `str` to `Vec`"),
        (5, TypeError, "argument '{p}': 'int' object cannot be converted to 'Sequence'"),
        ({"AhKh": 1}, TypeError, "argument '{p}': 'dict' object cannot be converted to 'Sequence'"),
        ([5], TypeError, "argument '{p}': 'int' object cannot be converted to 'str'"),
        (
            ["AhKh", None],
            TypeError,
            "argument '{p}': 'NoneType' object cannot be converted to 'str'",
        ),
    ],
    "masks": [
        ("AhKh", TypeError, "argument '{p}': Can't extract `str` to `Vec`"),
        (5, TypeError, "argument '{p}': 'int' object cannot be converted to 'Sequence'"),
        (["1"], TypeError, "argument '{p}': 'str' object cannot be interpreted as an integer"),
        ([1.0], TypeError, "argument '{p}': 'float' object cannot be interpreted as an integer"),
        ([-1], OverflowError, None),
        ([1 << 64], OverflowError, None),
    ],
    "seats": [
        ("AhKh", TypeError, "argument '{p}': Can't extract `str` to `Vec`"),
        (["AhKh"], TypeError, "argument '{p}': Can't extract `str` to `Vec`"),
        ([["AhKh"]], TypeError, "argument '{p}': Can't extract `str` to `Vec`"),
        ([[1]], TypeError, "argument '{p}': 'int' object cannot be converted to 'Sequence'"),
        ([[["x"]]], TypeError, "argument '{p}': 'str' object cannot be interpreted as an integer"),
        ([[[AH, -1]]], OverflowError, None),
        ([[[AH]], [[1 << 64]]], OverflowError, None),
    ],
    "int": [
        ("5", TypeError, "argument '{p}': 'str' object cannot be interpreted as an integer"),
        (1.5, TypeError, "argument '{p}': 'float' object cannot be interpreted as an integer"),
        (None, TypeError, "argument '{p}': 'NoneType' object cannot be interpreted as an integer"),
        (-1, OverflowError, None),
        (1 << 64, OverflowError, None),
    ],
    "u8": [
        ("5", TypeError, "argument '{p}': 'str' object cannot be interpreted as an integer"),
        (-1, OverflowError, "out of range integral type conversion attempted"),
        (256, OverflowError, "out of range integral type conversion attempted"),
        (1 << 70, OverflowError, "out of range integral type conversion attempted"),
    ],
    "bool": [
        (1, TypeError, "argument '{p}': 'int' object cannot be converted to 'bool'"),
        (None, TypeError, "argument '{p}': 'NoneType' object cannot be converted to 'bool'"),
        ("yes", TypeError, "argument '{p}': 'str' object cannot be converted to 'bool'"),
    ],
}

CONVERSION_CASES = [
    pytest.param(
        name,
        parameter,
        value,
        error,
        template,
        id=f"{name}-{parameter}-{type(value).__name__}{index}",
    )
    for name in WITH_PARAMETERS
    for parameter, kind in SIGNATURES[name][0]
    for index, (value, error, template) in enumerate(BAD_VALUES[kind])
]


class TestConversion:
    @pytest.mark.parametrize("name, parameter, value, error, template", CONVERSION_CASES)
    def test_bad_value(self, name, parameter, value, error, template):
        kwargs = dict(VALID[name], **{parameter: value})
        with pytest.raises(error) as raised:
            getattr(vantor, name)(**kwargs)
        assert type(raised.value) is error
        message = str(raised.value)
        if template is not None:
            assert message == template.format(p=parameter)
        else:
            # Range errors are the interpreter's own and do not name the argument.
            assert message and not message.startswith("argument")

    @pytest.mark.parametrize(
        "name, position",
        [(n, i) for n in WITH_PARAMETERS for i in range(len(SIGNATURES[n][0]))],
    )
    def test_first_failing_parameter_in_declaration_order_wins(self, name, position):
        parameters = SIGNATURES[name][0]
        kwargs = dict(VALID[name])
        for parameter, kind in parameters[position:]:
            kwargs[parameter] = BAD_VALUES[kind][0][0]
        # Keyword order must not matter: pass them backwards.
        kwargs = dict(reversed(list(kwargs.items())))
        with pytest.raises(TypeError, match=f"^argument '{parameters[position][0]}': "):
            getattr(vantor, name)(**kwargs)

    @pytest.mark.parametrize("name", ["chunk", "chunk_from_text"])
    @pytest.mark.parametrize("parameter", ["samples", "seed", "threads"])
    @pytest.mark.parametrize("value", [True, IndexLike(7)], ids=["bool", "index"])
    def test_integers_accept_bool_and_index_objects(self, name, parameter, value):
        as_int = call_core(name, **dict(VALID[name], **{parameter: operator.index(value)}))
        assert call_core(name, **dict(VALID[name], **{parameter: value})) == as_int

    @pytest.mark.parametrize("name", ["chunk", "chunk_from_text"])
    def test_largest_unsigned_64_bit_values(self, name):
        result = call_core(name, **dict(VALID[name], seed=(1 << 64) - 1))
        assert result["samples"] == VALID[name]["samples"]

    def test_card_name_takes_bool_and_index_objects(self):
        assert vantor.card_name(True) == "2d"
        assert vantor.card_name(IndexLike(51)) == "As"

    @pytest.mark.parametrize("allow_short", [True, False])
    def test_allow_short_takes_a_real_bool(self, allow_short):
        call_core("parse_hand_field", "AhKh", 2, allow_short)

    def test_tuples_are_sequences(self):
        assert call_core("chunk", "holdem", (((AH, KH),), ((QS, QD),)), (), 0, 10) == vantor.chunk(
            "holdem", [[[AH, KH]], [[QS, QD]]], [], 0, 10
        )
        call_core("exact_from_text", "holdem", ("AhKh", "QsQd"))
        call_core("score_batch", "high", ("AhKhQsQd2c7d9s",))

    def test_mask_bits_above_the_deck_are_accepted(self):
        high = 0xFFF << 52
        hands = [[[AH | high, KH | 1 << 63]], [[QS, QD | high]]]
        # A board mask keeps its cards (here the deuce of clubs) and loses the rest.
        clean = [[[AH, KH]], [[QS, QD]]]
        assert call_core("exact", "holdem", hands, [1 << 60 | 1], high) == vantor.exact(
            "holdem", clean, [1], 0
        )
        assert call_core("chunk", "holdem", hands, [1 << 60 | 1], high, 10) == vantor.chunk(
            "holdem", clean, [1], 0, 10
        )

    def test_lone_surrogate_is_refused_not_mangled(self):
        with pytest.raises(UnicodeEncodeError):
            vantor.card_index("\ud800h")


class TestFaults:
    def test_an_absurd_length_raises_instead_of_aborting(self):
        class Endless:
            def __len__(self):
                return 1 << 62

            def __getitem__(self, index):
                return "AhKh"

        with pytest.raises(MemoryError):
            vantor.score_batch("high", Endless())
        # The module is still usable afterwards.
        assert vantor.card_index("As") == 51

    def test_a_sequence_shorter_than_its_length_raises(self):
        class Short:
            def __len__(self):
                return 3

            def __getitem__(self, index):
                if index >= 1:
                    raise IndexError(index)
                return "AhKh"

        with pytest.raises(IndexError):
            vantor.score_batch("high", Short())

    def test_errors_raised_by_the_callers_objects_pass_through(self):
        class Broken:
            def __index__(self):
                raise ZeroDivisionError("from __index__")

        with pytest.raises(ZeroDivisionError, match="from __index__"):
            vantor.card_name(Broken())
        with pytest.raises(ZeroDivisionError, match="from __index__"):
            vantor.chunk("holdem", [[[Broken()]]], [], 0, 1)

    def test_sequence_without_length(self):
        class NoLength:
            def __getitem__(self, index):
                return "AhKh"

        with pytest.raises(TypeError, match=r"^argument 'hands': 'NoLength' object cannot be "):
            vantor.score_batch("high", NoLength())


SUBINTERPRETER_SCRIPT = """
import _xxsubinterpreters as interpreters
import vantor

CALL = "vantor.exact_from_text('omaha_hi_lo', ['Ac2c3d4d', 'Ah2h5s6s'], '7h 8s 3c Kd')"
main = repr(eval(CALL))
sub = interpreters.create()
reader, writer = __import__("os").pipe()
interpreters.run_string(sub, f"import os, vantor; os.write({writer}, repr({CALL}).encode())")
interpreters.destroy(sub)
print(main == __import__("os").read(reader, 1 << 16).decode())
print(main == repr(eval(CALL)))
"""


def test_a_subinterpreter_gets_the_same_result_dictionary():
    # The main interpreter keeps the result's key strings; a subinterpreter makes its own per
    # call. Both give the same dictionary, keys in the same order, and the main one's stay valid
    # after the subinterpreter is gone.
    pytest.importorskip("_xxsubinterpreters")
    done = subprocess.run(
        [sys.executable, "-c", SUBINTERPRETER_SCRIPT], capture_output=True, text=True, timeout=60
    )
    assert done.returncode == 0, done.stderr
    assert done.stdout.split() == ["True", "True"]


def test_result_dictionaries_share_nothing_a_caller_can_change():
    # Results are copies of dictionaries the module keeps: changing one, or one seat's, must
    # leave the next result as it would have been.
    def call():
        return vantor.exact_from_text("holdem", ["AhKh", "QsQd"], "Qh Jh 2c 3d")

    first = call()
    expected = repr(first)
    first["samples"] = -1
    first["extra"] = None
    first["players"][0]["equity"] = 2.0
    first["players"][1].clear()
    del first["exact"]
    second = call()
    assert repr(second) == expected
    assert second is not first
    assert second["players"][0] is not first["players"][0]
