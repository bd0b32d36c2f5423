#!/usr/bin/env python3
"""Checks of README.md as a reader meets it.
  readme_check.py commonmark README.md
      renders it with cmark (CommonMark) and fails on markdown left as raw text where a list, a
      heading or emphasis was meant (a list line glued to an HTML block, a heading without its
      blank line)
  readme_check.py commands README.md ROOT
      follows every ```sh block from ROOT as a reader would type it: each `cd` must reach a
      folder, each program must be there and runnable, each file a command reads must exist
      (outputs and the home folder excepted), and each `./run COMMAND` must be one that ./run
      lists. A `cd` into a release package's folder enters the staged one under build/package.
      Run are `./run` alone, which prints its commands, and a program's commands that only print
      (`info`, `--help`), which must exit 0."""
import glob
import html.parser
import os
import re
import shlex
import shutil
import subprocess
import sys

# A heading also when its space is missing ("##Quick start"), which CommonMark leaves as text.
RAW_MARKDOWN = re.compile(r"^\s*([-*+]\s|\d+[.)]\s|#{1,6}(\s|\w))|\*\*\S")
OUTPUT_FLAGS = {"--out", "--png", "-o", ">", "2>"}
NOT_PATHS = {"--menu", "--shape", "--set", "--only", "-R"}  # flags whose values are no files
NO_PATH_ARGS = {"mkdir", "echo", "ctest", "cmake", "jack_connect", "jack_lsp"}
# A program's quick commands that only print: the README's uses of them are run, so that a wrong
# option or a missing file fails here.
QUICK = {"info", "--help"}
QUICK_SECONDS = 60


class Text(html.parser.HTMLParser):
    """The rendered page's text outside code, line by line."""

    def __init__(self):
        super().__init__()
        self.code = 0
        self.lines = [""]

    def handle_starttag(self, tag, attrs):
        self.code += tag in ("pre", "code")
        if tag in ("p", "li", "h1", "h2", "h3", "h4", "td", "th", "br", "img"):
            self.lines.append("")

    def handle_endtag(self, tag):
        self.code -= tag in ("pre", "code")

    def handle_data(self, data):
        if self.code:
            self.lines[-1] += "`code`"
            return
        parts = data.split("\n")
        self.lines[-1] += parts[0]
        self.lines.extend(parts[1:])


def commonmark(readme):
    if shutil.which("cmark") is None:
        print("SKIP: no cmark (Debian's cmark; ./run setup installs it)")
        return 77
    rendered = subprocess.run(["cmark", "--unsafe", readme], capture_output=True, text=True, check=True).stdout
    text = Text()
    text.feed(rendered)
    raw = [line.strip() for line in text.lines if RAW_MARKDOWN.search(line)]
    for line in raw:
        print("FAIL raw markdown in the rendered README: %s" % line[:100])
    print("%d lines of rendered text, %d with raw markdown" % (len(text.lines), len(raw)))
    return 1 if raw else 0


def sh_blocks(readme):
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    for block in re.findall(r"^```sh\n(.*?)^```", text, re.S | re.M):
        block = block.replace("\\\n", " ")
        yield [line.split(" #")[0].strip() for line in block.splitlines()
               if line.strip() and not line.lstrip().startswith("#")]


def run_commands(root):
    usage = subprocess.run([os.path.join(root, "run")], capture_output=True, text=True).stdout
    return set(re.findall(r"^  (\w+)", usage, re.M))


def staged(root, folder):
    """A release package's folder, as the package build staged it."""
    found = glob.glob(os.path.join(root, "build", "package", os.path.basename(folder)))
    return found[0] if found else None


def exists(cwd, path):
    return bool(glob.glob(os.path.join(cwd, os.path.expanduser(path))))


def check_line(root, cwd, line, commands, problems):
    words = shlex.split(line)
    while words and re.match(r"^\w+=", words[0]):  # VAR=value in front of a command
        name, value = words.pop(0).split("=", 1)
        for part in value.split(":"):
            if "/" in part and not exists(cwd, part):
                problems.append("%s: %s names no folder here (%s)" % (line, name, part))
    if not words:
        return cwd
    program, args = words[0], [w for w in words[1:] if w != "&"]
    if program == "cd":
        target = os.path.normpath(os.path.join(cwd, args[0]))
        if not os.path.isdir(target) and os.path.basename(args[0]).startswith("tarn-modules-"):
            target = staged(root, args[0]) or target
        if not os.path.isdir(target):
            problems.append("%s: no such folder from %s" % (line, os.path.relpath(cwd, root)))
        return target
    if "/" in program:
        path = os.path.join(cwd, program)
        if not (os.path.isfile(path) and os.access(path, os.X_OK)):
            problems.append("%s: %s is not a program in %s" % (line, program, os.path.relpath(cwd, root)))
    if program == "./run" and args and args[0] not in commands:
        problems.append("%s: ./run has no command %s" % (line, args[0]))
    elif "/" in program and args and args[0] in QUICK and os.path.isfile(os.path.join(cwd, program)):
        ran = subprocess.run(words, cwd=cwd, capture_output=True, text=True, timeout=QUICK_SECONDS)
        if ran.returncode != 0:
            problems.append("%s: exits %d: %s" % (line, ran.returncode, (ran.stderr or ran.stdout).strip()[:200]))
    if program in NO_PATH_ARGS:
        return cwd
    reads = args[:-1] if program == "cp" else args
    for i, arg in enumerate(reads):
        output = i > 0 and reads[i - 1] in OUTPUT_FLAGS | NOT_PATHS
        if "/" in arg and not output and not arg.startswith(("~", "-", "(", "/dev/")) and not exists(cwd, arg):
            problems.append("%s: %s is not there" % (line, arg))
    return cwd


def commands(readme, root):
    known = run_commands(root)
    problems, count = [], 0
    for block in sh_blocks(readme):
        cwd = root
        for line in block:
            count += 1
            cwd = check_line(root, cwd, line, known, problems)
    for p in problems:
        print("FAIL " + p)
    print("%d commands in the README's sh blocks, %d problems" % (count, len(problems)))
    return 1 if problems or count == 0 else 0


def main(argv):
    if argv[0] == "commonmark":
        return commonmark(argv[1])
    if argv[0] == "commands":
        return commands(argv[1], os.path.abspath(argv[2]))
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
