"""What every benchmark script here shares: the trees, the sides it times, the check of the
list file against the tree and against a reference list, and the report of the conditions
it measured under.

The trees are made once under /var/tmp (outside the checkout) with the generator beside
this file; a tree without its summary is one an earlier run did not finish. Every side is
started directly (no shell between) and timed up to the wait4 that reaps it.
"""

import contextlib
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

MAKE_TREE = Path(__file__).resolve().parent / "make-tree"
LIST_NAME = "Liste.txt"
TABLE_NAME = "Liste.csv"
TREES = Path("/var/tmp/korvale-bench")
# The list files of this build are the reference every later build must write byte for byte.
REFERENCE_PROGRAM = Path("/var/tmp/korvale-9b4c147/build/bench/korvale_bench")


def fail(message):
    print(f"{Path(sys.argv[0]).name}: {message}", file=sys.stderr)
    sys.exit(1)


def tree_path(shape):
    return TREES / f"{shape}-seed1"


def summary_of(tree):
    return Path(str(tree) + ".summary.json")


def ensure_tree(tree, shape):
    if tree.is_dir() and summary_of(tree).exists():
        return json.loads(summary_of(tree).read_text())
    if tree.exists():
        fail(f"{tree} exists without its summary; remove it and run again")
    print(f"Making the {shape} tree in {tree} (once) ...", flush=True)
    tree.parent.mkdir(parents=True, exist_ok=True)
    made = subprocess.run([sys.executable, str(MAKE_TREE), str(tree), "--shape", shape],
                          capture_output=True, text=True)
    if made.returncode != 0:
        fail(f"make-tree failed:\n{made.stderr}")
    print(made.stdout.strip())
    return json.loads(summary_of(tree).read_text())


def require(*programs):
    for program in programs:
        if not shutil.which(program):
            fail(f"{program} is missing (the make target installs it when run as root)")


def first_line(command):
    try:
        done = subprocess.run(command, capture_output=True, text=True)
    except OSError:
        return "missing"
    lines = (done.stdout or done.stderr).strip().splitlines()
    return lines[0] if lines else "unknown"


class Conditions:
    """The load average around the measurement and the versions compared with; printed
    before the figures, since the machine may be shared with other work."""

    def __init__(self):
        self.before = os.getloadavg()

    @staticmethod
    def load():
        return f"load {os.getloadavg()[0]:.2f}"

    def report(self):
        after = os.getloadavg()
        print(f"compared with: {first_line(['bfs', '--version'])}; {first_line(['fdfind', '--version'])}")
        print(f"conditions: {os.cpu_count()} cores, load average {self.before[0]:.2f} {self.before[1]:.2f} "
              f"{self.before[2]:.2f} before, {after[0]:.2f} {after[1]:.2f} {after[2]:.2f} after")


def visible_files(tree):
    """Every regular file below tree whose path has no part beginning with a dot."""
    found = []
    pending = [("", str(tree))]
    while pending:
        relative, folder = pending.pop()
        with os.scandir(folder) as entries:
            for entry in entries:
                if entry.name.startswith("."):
                    continue
                path = relative + entry.name
                if entry.is_dir(follow_symlinks=False):
                    pending.append((path + "/", entry.path))
                elif entry.is_file():
                    found.append(path)
    return found


class Run:
    """One run of the bench program: its time, peak memory and what it reported."""

    def __init__(self, elapsed, peak, output):
        self.elapsed = elapsed
        self.peak = peak
        self.output = output
        source_line, self.numbers = output.split("\n", 1)
        self.source = source_line.removeprefix("source ")
        self.fields = dict(re.findall(r"(\w+_ms) (\d+)", self.numbers))
        self.cpu = dict(re.findall(r"(cpu_\w+) ([\d.]+)", self.numbers))
        counted = re.search(r"count (\d+) Files", self.numbers)
        self.count = int(counted.group(1)) if counted else None
        # What the run found changed against the list file it replaced; nothing where it
        # compared with none.
        changed = re.search(r"\bnew (\d+) missing (\d+)", self.numbers)
        self.changes = (int(changed.group(1)), int(changed.group(2))) if changed else None


def run_ours(program, tree, work, options=(), old_list=None):
    """One timed run. The list file and table of an earlier run are removed first, so a plain
    run compares with no old list; with old_list, that file is put in the list file's place
    and flushed to disk, as a list kept from an earlier day would be, before the clock starts."""
    for earlier in (LIST_NAME, TABLE_NAME):
        (work / earlier).unlink(missing_ok=True)
    if old_list:
        shutil.copyfile(old_list, work / LIST_NAME)
        with open(work / LIST_NAME, "rb+") as placed:
            os.fsync(placed.fileno())
    started = time.perf_counter()
    child = subprocess.Popen([program, *options, str(tree), str(work)], cwd="/", stdout=subprocess.PIPE, text=True)
    output = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.perf_counter() - started
    if os.waitstatus_to_exitcode(status) != 0:
        fail(f"the bench program failed ({os.waitstatus_to_exitcode(status)}): {output}")
    # The window's bench times a run from the click: its window's start does not count.
    from_click = re.search(r"\brun_ms (\d+)", output)
    if from_click:
        elapsed = int(from_click.group(1)) / 1000
    # The program's own peak: the child's ru_maxrss also holds this script's memory at the fork.
    own_peak = re.search(r"\bpeak_kib (\d+)", output)
    peak_kib = int(own_peak.group(1)) if own_peak else usage.ru_maxrss
    return Run(elapsed, peak_kib * 1024, output.strip())


class Side:
    """A command, or a pipeline of them, whose last one writes to output (nowhere by default)."""

    def __init__(self, *commands, output=None, env=None):
        self.commands = [[str(part) for part in command] for command in commands]
        self.output = output
        self.env = env


def run_side(side):
    """Seconds from starting the first process until wait4 has reaped the last."""
    with open(side.output or os.devnull, "wb") as output:
        started = time.perf_counter()
        children, upstream = [], None
        for position, command in enumerate(side.commands):
            last = position == len(side.commands) - 1
            child = subprocess.Popen(command, stdin=upstream, stdout=output if last else subprocess.PIPE, env=side.env)
            if upstream is not None:
                upstream.close()  # the reader's copy is the only one left, so a writer sees it end
            upstream = child.stdout
            children.append(child)
        statuses = [os.wait4(child.pid, 0)[1] for child in children]
        elapsed = time.perf_counter() - started
    for child, status in zip(children, statuses):
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            fail(f"{' '.join(child.args)} failed ({child.returncode})")
    return elapsed


def bfs_alone(tree):
    return Side(["bfs", tree, "-type", "f"])


def bfs_sorted(tree, output):
    return Side(["bfs", tree, "-type", "f"], ["sort", "-f"], output=output, env=dict(os.environ, LC_ALL="C"))


def bfs_to_file(tree, output):
    return Side(["bfs", tree, "-type", "f"], output=output)


def bfs_printf(tree, output):
    """bfs naming each file with its size and time of change, as a table of the files would."""
    return Side(["bfs", tree, "-type", "f", "-printf", "%p;%s;%TY-%Tm-%Td %TT\n"], output=output)


def korvale_generate(korvale, tree, target, env):
    return Side([korvale, "--generate", "--source", tree, "--target", target, "--name", LIST_NAME], env=env)


def korvale_check(korvale, list_file, tree, list_root, output, env):
    return Side([korvale, "--check", list_file, "--source", tree, "--list-root", list_root], output=output, env=env)


def scratch_home(folder):
    """An environment whose settings live in folder, so a run of the program touches none of
    the user's."""
    folder.mkdir(parents=True, exist_ok=True)
    env = dict(os.environ, HOME=str(folder))
    for name, below in (("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME", ".local/share"),
                        ("XDG_CACHE_HOME", ".cache"), ("XDG_STATE_HOME", ".local/state")):
        env[name] = str(folder / below)
    return env


def fd_alone(tree):
    return Side(["fdfind", "--threads", "16", "--type", "f", "--hidden", "--no-ignore", ".", tree])


def processors():
    """The processors this process may run on, as nproc counts them."""
    return sorted(os.sched_getaffinity(0))


@contextlib.contextmanager
def pinned(cpus):
    """Everything started inside runs on these processors only, as under taskset."""
    before = os.sched_getaffinity(0)
    os.sched_setaffinity(0, cpus)
    try:
        yield
    finally:
        os.sched_setaffinity(0, before)


def check_list_file(list_file, source, expected_paths):
    """The entries of the list file, up to its empty line, must be exactly the tree's files."""
    lines = list_file.read_bytes().split(b"\r\n")
    if b"" not in lines:
        fail("the list file has no empty line before its footer")
    entries = lines[: lines.index(b"")]
    prefix = source + "\\"
    listed = []
    for entry in entries:
        text = entry.decode("cp1252")
        if not text.startswith(prefix):
            fail(f"entry outside the source folder: {text!r}")
        listed.append(text[len(prefix):].replace("\\", "/"))
    if sorted(listed) != sorted(expected_paths):
        missing = set(expected_paths) - set(listed)
        extra = set(listed) - set(expected_paths)
        fail(f"list file differs from the tree: {len(missing)} missing, {len(extra)} extra, "
             f"{len(listed)} listed against {len(expected_paths)}")
    return len(entries)


def check_run(run, work, tree, summary):
    """The last run's list holds exactly the tree's visible files; its size in bytes."""
    expected_paths = visible_files(tree)
    if len(expected_paths) != summary["visible_files"]:
        fail(f"the tree holds {len(expected_paths)} visible files, its summary says {summary['visible_files']}")
    if run.count != len(expected_paths):
        fail(f"counted {run.count} files, the tree holds {len(expected_paths)} visible files")
    list_file = work / LIST_NAME
    check_list_file(list_file, run.source, expected_paths)
    return list_file.stat().st_size


def footer_start(content):
    """Where the empty line before the footer begins: no entry and no footer line is empty."""
    position = content.rfind(b"\r\n\r\n")
    if position >= 0:
        return position + 2
    return 0 if content.startswith(b"\r\n") else None


def without_date(footer):
    """The footer with its date line (the third: empty, product, date) left out."""
    lines = footer.split(b"\r\n")
    return lines[:2] + lines[3:]


class ReferenceList:
    """The list file the reference build wrote of a tree, made once and checked against the
    tree as a set; every later list file must equal it byte for byte, but for the date."""

    CHUNK = 1 << 20

    def __init__(self, tree, summary, work, program=REFERENCE_PROGRAM):
        self.path = TREES / f"{tree.name}.reference.txt"
        if not self.path.exists():
            if not Path(program).is_file():
                fail(f"no reference list {self.path}, and no reference program {program} to make it with")
            print(f"Making the reference list {self.path} with {program} (once) ...", flush=True)
            made = run_ours(str(program), tree, work)
            check_run(made, work, tree, summary)
            (work / LIST_NAME).replace(self.path)
        self.size = self.path.stat().st_size
        content = self.path.read_bytes()
        self.body_size = footer_start(content)
        self.footer = without_date(content[self.body_size:])
        self.count = content[: self.body_size].count(b"\r\n")

    def check(self, run, work):
        """Fails with the first line that differs; the list file's size in bytes when none does."""
        if run.count != self.count:
            fail(f"counted {run.count} files, the reference list holds {self.count}")
        return self.compare(work / LIST_NAME)

    def compare(self, listed):
        """As check, for a list file written by a program that reports no count."""
        content_size = listed.stat().st_size
        with open(listed, "rb") as ours, open(self.path, "rb") as reference:
            offset = 0
            while offset < self.body_size:
                want = reference.read(min(self.CHUNK, self.body_size - offset))
                got = ours.read(len(want))
                if got != want:
                    self.fail_at(offset, got, want)
                offset += len(want)
            footer = ours.read()
        if footer_start(footer) != 0 or without_date(footer) != self.footer:
            fail(f"the list file's footer differs from the reference's: {footer!r}")
        return content_size

    def fail_at(self, offset, got, want):
        at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
        line_start = max(want.rfind(b"\n", 0, at) + 1, 0)
        fail(f"the list file differs from the reference {self.path} at byte {offset + at}: "
             f"{got[line_start:at + 80]!r} where the reference has {want[line_start:at + 80]!r}")


def median(values):
    return statistics.median(values)
