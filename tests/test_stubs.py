"""The stub the distribution ships, against what the module returns at runtime.

stubtest (scripts/typecheck) compares the stub's signatures with the module's; it cannot see the
dictionaries behind a return type. Here the installed stub is executed as Python, and every
function's return annotation is checked against real return values, key by key and in order, and
the game and kernel aliases against the names the module accepts.
"""

import importlib.metadata
import types
import typing

import pytest

import vantor

STUB = "vantor-stubs/__init__.pyi"


def installed_stub():
    """The stub's names, read from the copy installed with the module."""
    files = {str(path): path for path in importlib.metadata.distribution("vantor").files}
    assert STUB in files, "the distribution does not ship its stub"
    namespace = {}
    exec(compile(files[STUB].read_text(encoding="utf-8"), STUB, "exec"), namespace)
    return types.SimpleNamespace(**namespace)


stub = installed_stub()
AH, KH, QS, QD = (1 << vantor.card_index(name) for name in ("Ah", "Kh", "Qs", "Qd"))
HILO = ("omaha_hi_lo", ["Ac 3d Jh Jc", "Kc Kd 9s 8h"], "Ks Qd 7c")
CALLS = {
    "variants": lambda: vantor.variants(),
    "chunk": lambda: vantor.chunk("holdem", [[[AH, KH]], [[QS, QD]]], [], 0, 500, seed=1),
    "chunk_from_text": lambda: vantor.chunk_from_text(*HILO, samples=500, seed=1),
    "exact": lambda: vantor.exact("holdem", [[[AH, KH]], [[QS, QD]]], [1, 2, 4, 8], 0),
    "exact_from_text": lambda: vantor.exact_from_text(*HILO),
    "default_thread_count": lambda: vantor.default_thread_count(),
    "parse_hand_field": lambda: vantor.parse_hand_field("TT+, A*", 2),
    "parse_dead_cards": lambda: vantor.parse_dead_cards("Ah Kd"),
    "card_index": lambda: vantor.card_index("Ah"),
    "card_name": lambda: vantor.card_name(50),
    "score_batch": lambda: vantor.score_batch("high", ["AhKhQhJhTh", "2c3d4h5s7c"]),
    "full_deck": lambda: vantor.full_deck(),
}


def mismatch(value, hint, where="value"):
    """Why `value` does not have the type `hint`, or None when it does. Scalars must be exactly
    the type named (a bool is not an int here); a TypedDict must hold its keys in its order."""
    origin, args = typing.get_origin(hint), typing.get_args(hint)
    if origin in (typing.Union, types.UnionType):
        reasons = [mismatch(value, arm, where) for arm in args]
        return None if None in reasons else f"{where}: {value!r} is none of {hint}"
    if hint is type(None):
        return None if value is None else f"{where}: {value!r} is not None"
    if origin is typing.Literal:
        return None if value in args else f"{where}: {value!r} is not one of {args}"
    if origin is list:
        if type(value) is not list:
            return f"{where}: {type(value).__name__}, not list"
        return next(
            filter(
                None,
                (mismatch(item, args[0], f"{where}[{index}]") for index, item in enumerate(value)),
            ),
            None,
        )
    if typing.is_typeddict(hint):
        if type(value) is not dict:
            return f"{where}: {type(value).__name__}, not {hint.__name__}"
        if list(value) != list(hint.__annotations__):
            return f"{where}: keys {list(value)}, not {list(hint.__annotations__)}"
        hints = typing.get_type_hints(hint)
        return next(
            filter(None, (mismatch(value[key], hints[key], f"{where}[{key!r}]") for key in hints)),
            None,
        )
    return None if type(value) is hint else f"{where}: {type(value).__name__}, not {hint}"


def test_the_stub_covers_exactly_the_module():
    functions = {
        name
        for name, value in vars(stub).items()
        if isinstance(value, types.FunctionType) and value.__code__.co_filename == STUB
    }
    assert functions == {name for name in dir(vantor) if not name.startswith("__")}
    assert functions == set(CALLS)


@pytest.mark.parametrize("name", CALLS)
def test_returns_what_the_stub_says(name):
    returns = typing.get_type_hints(getattr(stub, name))["return"]
    assert mismatch(CALLS[name](), returns) is None


def test_exact_declines_as_the_stub_allows():
    declined = vantor.exact_from_text("holdem", ["AhKh", "**"])
    assert declined is None
    assert mismatch(declined, typing.get_type_hints(stub.exact_from_text)["return"]) is None


def test_the_checker_catches_a_wrong_shape():
    # The comparison above is only worth something if it can fail.
    result = vantor.exact_from_text(*HILO)
    result["players"][0]["equity"] = 1
    assert "equity" in mismatch(result, stub.Result)
    assert "keys" in mismatch({**vantor.variants()[0], "extra": 0}, stub.Variant)
    assert mismatch(True, int) and mismatch([1.0], list[int])


def test_game_keys_are_the_catalogue_in_order():
    keys = [game["key"] for game in vantor.variants()]
    assert list(typing.get_args(stub.GameKey)) == keys


@pytest.mark.parametrize("kernel", typing.get_args(stub.KernelName))
def test_kernel_names_are_accepted(kernel):
    hand = "AhKhQhJhTh" if kernel != "omaha" else "AhKh2c3d" + "QhJhTh"
    (score,) = vantor.score_batch(kernel, [hand])
    assert type(score) is int


def test_other_names_are_not_kernels():
    for name in ["holdem", "low", "High", "razz"]:
        assert name not in typing.get_args(stub.KernelName)
        with pytest.raises(ValueError, match="no kernel called"):
            vantor.score_batch(name, ["AhKhQhJhTh"])
