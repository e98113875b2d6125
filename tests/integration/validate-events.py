#!/usr/bin/env python3
"""Validates every line of an event stream against the event schema; says which lines fail.

Usage: validate-events.py SCHEMA FILE...  (exit status 0 when every line of every file is valid)
"""
import json
import sys

import jsonschema


def main():
    with open(sys.argv[1], encoding="utf-8") as schema_file:
        schema = json.load(schema_file)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    bad = 0
    lines = 0
    for path in sys.argv[2:]:
        with open(path, encoding="utf-8") as stream:
            for number, line in enumerate(stream, 1):
                lines += 1
                try:
                    event = json.loads(line)
                except ValueError as error:
                    print(f"{path}:{number}: not JSON ({error}): {line.rstrip()}")
                    bad += 1
                    continue
                for error in validator.iter_errors(event):
                    print(f"{path}:{number}: {error.message}: {line.rstrip()}")
                    bad += 1
    print(f"{lines} lines, {bad} problems")
    return 1 if bad or lines == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
