"""`vantor serve`: the equity calculator in the browser, and the JSON API under it.

The server is Starlette on uvicorn (the `web` extra, `pip install 'vantor[web]'`); the page is
plain HTML, CSS and JavaScript modules in `static/`, served as they are. `import vantorkit` never
imports this package, and the command imports it only for `vantor serve`.

- `settings`: what one request may hold and how much the server does at once.
- `queries`: a request's JSON read and checked, before any work starts.
- `calculations`: calculations on threads of their own, bounded, stoppable, and their messages.
- `runs`: `equity` and `breakdown` run for a calculation, posting what they find.
- `api`: the routes; `app`: the application; `server`: `vantor serve` itself.
"""
