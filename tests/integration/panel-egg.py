#!/usr/bin/env python3
"""Runs the panel egg as the panel does: reads the egg, fills in its variables, runs its startup command
through the image's entry point (the program, as the Containerfile starts it), waits for the "done" string, sends the stop command on standard input and
checks that the server ended with exit status 0 and the panel's settings saved.

Usage: panel-egg.py EGG CONTAINERFILE BIN_DIR GAME_DIR GAME_PORT QUERY_PORT
"""
import json
import os
import re
import selectors
import subprocess
import sys
import time

LIMIT = 30  # seconds for each wait
SERVER_NAME = 'Night "Owls" $(touch pwned) `touch pwned`'


def fail(message, output=""):
    print("FAIL: " + message)
    print(output)
    sys.exit(1)


def read_until(process, text, output):
    """Reads standard output until it holds the text; False at the limit or at its end."""
    selector = selectors.DefaultSelector()
    selector.register(process.stdout, selectors.EVENT_READ)
    deadline = time.monotonic() + LIMIT
    while time.monotonic() < deadline:
        if not selector.select(timeout=max(0.0, deadline - time.monotonic())):
            continue
        data = os.read(process.stdout.fileno(), 65536)
        if not data:
            return False
        output.append(data.decode("utf-8", "replace"))
        if text in "".join(output):
            return True
    return False


def image_entry_point(containerfile, bin_dir):
    """The image's ENTRYPOINT, its program taken from this build's directory."""
    with open(containerfile, encoding="utf-8") as stream:
        lines = [line for line in stream if line.startswith("ENTRYPOINT ")]
    if len(lines) != 1:
        fail("the Containerfile has no single ENTRYPOINT")
    command = json.loads(lines[0][len("ENTRYPOINT "):])
    return [os.path.join(bin_dir, os.path.basename(command[0]))] + command[1:]


def main():
    egg_path, containerfile, bin_dir, game_dir, game_port, query_port = sys.argv[1:7]
    entrypoint = image_entry_point(containerfile, bin_dir)
    with open(egg_path, encoding="utf-8") as egg_file:
        egg = json.load(egg_file)
    if egg["meta"]["version"] != "PTDL_v2":
        fail("not a PTDL_v2 egg")
    done = json.loads(egg["config"]["startup"])["done"]
    stop = egg["config"]["stop"]
    files = json.loads(egg["config"]["files"])
    if "dravosrv.cfg" not in files:
        fail("no config-file rule for dravosrv.cfg")

    # The panel: each variable's value in the environment, the port it gave the server, the startup
    # command as the egg has it. The hidden paths point into this test's copy of the game.
    environment = {"PATH": bin_dir + ":/usr/bin:/bin", "HOME": game_dir, "SERVER_PORT": game_port}
    for variable in egg["variables"]:
        environment[variable["env_variable"]] = variable["default_value"]
    environment["DRAVO_SERVER_NAME"] = SERVER_NAME
    environment["DRAVO_CONFIG"] = os.path.join(game_dir, "dravosrv.cfg")
    environment["DRAVO_LOGFILE"] = os.path.join(game_dir, "dravoserv.log")
    environment["DRAVO_GAME_DIR"] = game_dir
    environment["DRAVO_QUERY_PORT"] = query_port
    environment["STARTUP"] = egg["startup"]
    for name in re.findall(r"{{([A-Za-z_0-9]+)}}", egg["startup"]):
        if name not in environment:
            fail("the startup command uses a variable the panel does not give: " + name)

    process = subprocess.Popen(entrypoint, cwd="/", env=environment, stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = []
    try:
        if not read_until(process, done, output):
            fail("no done string \"%s\"" % done, "".join(output))
        process.stdin.write((stop + "\n").encode())
        process.stdin.flush()
        status = process.wait(timeout=LIMIT)
    finally:
        if process.poll() is None:
            process.kill()
    output.append(process.stdout.read().decode("utf-8", "replace"))
    if status != 0:
        fail("exit status %d" % status, "".join(output))

    with open(os.path.join(game_dir, "dravosrv.cfg"), encoding="utf-8") as config_file:
        config = config_file.read()
    saved_name = 'ServerName "' + SERVER_NAME.replace("\\", "\\\\").replace('"', '\\"') + '"'
    for expected in (saved_name, 'MaxPlayers "16"', 'Port "%s"' % game_port):
        if expected + "\n" not in config:
            fail("not saved: " + expected, config)
    if os.path.exists(os.path.join(game_dir, "pwned")) or os.path.exists("/pwned"):
        fail("a variable's value ran as a command")
    # The panel's config-file rule finds the lines it keeps in step.
    for key in files["dravosrv.cfg"]["find"]:
        if not re.search("^" + re.escape(key), config, re.MULTILINE):
            fail("the config-file rule finds no line " + key, config)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
