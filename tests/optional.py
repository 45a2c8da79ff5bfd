"""Packages some tests need beyond the module: the `vantor` command's rich, pexpect for its live
view, dask for vantorkit.distributed. `.ci/run` installs them all."""

import importlib
import os

import pytest


def optional(name):
    """The module `name`, or a skip where it is not installed. Under CI (`CI` set, as `.ci/run`
    runs) a missing one is an error: the tests that need it must run there."""
    if os.environ.get("CI"):
        return importlib.import_module(name)
    return pytest.importorskip(name)
