"""`python -m vantorkit` is the `vantor` command."""

import sys

from .cli import main

sys.exit(main())
