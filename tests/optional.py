"""Packages and programs some tests need beyond the module: the `vantor` command's rich, pexpect
for its live view, dask for vantorkit.distributed, starlette, uvicorn and httpx for `vantor serve`,
playwright and Debian's chromium for its page. `.ci/run` installs them all."""

import importlib
import os
import pathlib

import pytest


def optional(name):
    """The module `name`, or a skip where it is not installed. Under CI (`CI` set, as `.ci/run`
    runs) a missing one is an error: the tests that need it must run there."""
    if os.environ.get("CI"):
        return importlib.import_module(name)
    return pytest.importorskip(name)


def optional_program(path):
    """`path` when that program is installed, or a skip where it is not; under CI an error."""
    if not pathlib.Path(path).is_file():
        if os.environ.get("CI"):
            raise FileNotFoundError(f"{path} is missing; .ci/run installs it")
        pytest.skip(f"{path} is not installed")
    return path
