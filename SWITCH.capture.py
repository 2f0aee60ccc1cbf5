"""Runs tarnwick-cli (TARNWICK_CLI) through fixed scenarios and keeps every log, stdout and stderr,
times and temp paths masked, in the folder argv[1]: run once with the old binary and once with
the new, then diff -r the two folders."""

import os
import pty
import re
import select
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "tests", "cli"))
from machine import EXAMPLES, make_machine  # noqa: E402

OUT = sys.argv[1]
os.makedirs(OUT, exist_ok=True)
SAMPLE = os.path.join(EXAMPLES, "sample-package")
PLAIN = os.path.join(EXAMPLES, "plain-package")
TIME = re.compile(rb'"time":"[^"]*"')
STAMP = re.compile(rb'\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z')
count = [0]


def mask(machine, data):
    data = TIME.sub(b'"time":"T"', data)
    data = STAMP.sub(b'STAMP', data)
    return data.replace(machine.root.encode(), b"ROOT")


def keep(machine, name, run, log_path=None):
    count[0] += 1
    base = os.path.join(OUT, "%02d-%s" % (count[0], name))
    with open(base + ".out", "wb") as f:
        f.write(mask(machine, run.stdout.encode("utf-8", "surrogateescape")))
    with open(base + ".err", "wb") as f:
        f.write(mask(machine, run.stderr.encode("cp1252", "replace")))
        f.write(b"\nstatus %d\n" % run.status)
    path = log_path or (run.args[run.args.index("--log") + 1] if "--log" in run.args else None)
    if path and os.path.exists(path):
        with open(path, "rb") as f:
            data = f.read()
        with open(base + ".log", "wb") as f:
            f.write(mask(machine, data))
    return path


def install(machine, name, package, *sets, extra=()):
    args = ["install", "--package", package]
    for s in sets:
        args += ["--set", s]
    run = machine.run(*(args + list(extra)), log=True)
    return keep(machine, name, run)


def plan(machine, name, package, *sets, json=True):
    args = ["plan", "--package", package] + (["--json"] if json else [])
    for s in sets:
        args += ["--set", s]
    keep(machine, name, machine.run(*args))


def undo(machine, name, log, extra=()):
    out = machine.host_file("undo.jsonl")
    run = machine.run("undo", "--log", log, "--log-out", out, *extra)
    keep(machine, name, run, out)


def main():
    # The sample, in full, then planned again, installed again with a backup, and undone.
    m = make_machine()
    sample = m.add_package("Sample", source=SAMPLE)
    plan(m, "plan-json", sample, "AcceptLicense=yes", "RestartServer=yes")
    plan(m, "plan-text", sample, "AcceptLicense=yes", "RestartServer=yes", json=False)
    first = install(m, "sample", sample, "AcceptLicense=yes", "RestartServer=yes")
    plan(m, "plan-again", sample, "AcceptLicense=yes")
    second = install(m, "sample-backup", sample, "AcceptLicense=yes",
                     extra=["--backup", "C:\\Backup"])
    undo(m, "undo-second", second)
    undo(m, "undo-first", first)
    undo(m, "undo-again", first)
    m.close()

    # Licence refused; warnings; a folder to create or not; an abort.
    m = make_machine()
    sample = m.add_package("Sample", source=SAMPLE)
    plain = m.add_package("Plain", source=PLAIN)
    install(m, "no-licence", sample)
    install(m, "warning", plain, "Jvm=C:\\x\\jvm.dll")
    install(m, "new-folder-yes", sample, "AcceptLicense=yes", "Dir2=C:\\NewWeb", "CreateFolders=yes")
    install(m, "new-folder-no", sample, "AcceptLicense=yes", "Dir2=C:\\OtherWeb", "CreateFolders=no")
    install(m, "jvm-keep", sample, "AcceptLicense=yes", "Jvm=keep")
    m.close()

    # Commands that fail or cannot start.
    m = make_machine()
    sample = m.add_package("Sample", source=SAMPLE)
    m.set_service_exit(2)
    install(m, "service-fails", sample, "AcceptLicense=yes", "RestartServer=yes")
    os.remove(os.path.join(m.bin, "net"))
    env_path = os.environ["PATH"]
    os.environ["PATH"] = "/nonexistent"
    install(m, "service-missing", sample, "AcceptLicense=yes", "RestartServer=yes")
    os.environ["PATH"] = env_path
    m.close()

    # Changed since: kept for every reason undo has; class path with another entry.
    m = make_machine()
    plain = m.add_package("Plain", source=PLAIN)
    sample = m.add_package("Sample", source=SAMPLE)
    log = plainlog = install(m, "plain", plain)
    m.write_file("C:\\CFusion\\CustomTags\\Plain\\lines.cfm", b"edited")
    text = m.registry_text().replace("\r\n", "\n")
    m.seed_registry(text.replace("Counts the lines of a text (Plain Tag Pack)", "Our words"))
    undo(m, "undo-changed", log)
    log = install(m, "sample-cp", sample, "AcceptLicense=yes")
    text = m.registry_text().replace("\r\n", "\n")
    m.seed_registry(text.replace("cfx_sample.jar\"", "cfx_sample.jar;C:\\\\Other\\\\o.jar\""))
    m.make_folder("C:\\Inetpub\\wwwroot\\sample\\mine")
    undo(m, "undo-classpath", log)
    # A second install over the first without a backup: replaced files cannot be restored.
    log1 = install(m, "plain-1", plain)
    log2 = install(m, "plain-2", plain)
    undo(m, "undo-no-backup", log2)
    # A crafted log: a key of no root we write, a file without a digest, unknown kinds.
    with open(plainlog, "rb") as f:
        lines = f.read().split(b"\n")
    crafted = []
    crafted_value = []
    for line in lines:
        if b'"event":"key-created"' in line:
            crafted.append(line.replace(b"HKEY_LOCAL_MACHINE", b"HKEY_USERS", 1))
        elif b'"event":"value-written"' in line and not crafted_value:
            crafted_value.append(1)
            crafted.append(line.replace(b"HKEY_LOCAL_MACHINE", b"HKEY_CLASSES_ROOT", 1))
        elif b'"event":"file-copied"' in line:
            crafted.append(re.sub(rb'"sha256":"[0-9a-f]*"', b'"sha256":null', line))
            crafted.append(b'{"event":"something-new","time":"x","a":1}')
        else:
            crafted.append(line)
    path = m.host_file("crafted.jsonl", b"\n".join(crafted))
    undo(m, "undo-crafted", path)
    # Damaged logs.
    good = b"\n".join(lines)
    for name, data in (("cut", good[:-30]), ("notjson", good.replace(b"}\n", b"\n", 3)),
                       ("nostart", b"\n".join(lines[1:])), ("empty", b""),
                       ("nofield", good.replace(b'"bytes":', b'"bites":', 1)),
                       ("crlf", good.replace(b"\n", b"\r\n")),
                       ("plan", b'{"event":"start","command":"plan"}\n'),
                       ("badutf8", good.replace(b'"path":"C:', b'"path":"\xff:', 1))):
        undo(m, "damaged-" + name, m.host_file(name + ".jsonl", data))
    undo(m, "missing", os.path.join(m.root, "nothing.jsonl"))
    m.close()

    # Writes refused: the store and a folder.
    m = make_machine()
    sample = m.add_package("Sample", source=SAMPLE)
    m.make_folder("C:\\Inetpub\\wwwroot\\sample")
    m.deny_writes("C:\\Inetpub\\wwwroot\\sample")
    install(m, "copy-denied", sample, "AcceptLicense=yes")
    m.close()
    m = make_machine()
    sample = m.add_package("Sample", source=SAMPLE)
    install(m, "sample-3", sample, "AcceptLicense=yes")
    m.make_folder("C:\\Backup")
    m.deny_writes("C:\\Backup")
    install(m, "backup-denied", sample, "AcceptLicense=yes", extra=["--backup", "C:\\Backup"])
    m.close()
    m = make_machine()
    sample = m.add_package("Sample", source=SAMPLE)
    m.deny_store_writes()
    log = install(m, "store-denied", sample, "AcceptLicense=yes", "RestartServer=yes")
    plan(m, "store-denied-plan", sample, "AcceptLicense=yes")
    m.allow_store_writes()
    m.close()
    m = make_machine()
    plain = m.add_package("Plain", source=PLAIN)
    log = install(m, "plain-undo-denied", plain)
    m.deny_writes("C:\\CFusion\\CustomTags\\Plain")
    undo(m, "undo-denied", log)
    m.deny_store_writes()
    undo(m, "undo-store-denied", log)
    m.close()

    # The console's count: stderr a terminal, no log, 250 files and a second option after them.
    m = make_machine()
    files = {"install.conf": (b'<INSTALL_TITLE VALUE="Many">\r\n<DIR1 VISIBLE="true">\r\n'
                              b'<DIR1 CAPTION="D">\r\n<DIR1 VALUE="C:\\CFusion">\r\n'
                              b'<OPTION1 CAPTION="Copy">\r\n<OPTION1 TYPE="Copy">\r\n'
                              b'<OPTION1 SOURCE="files">\r\n<OPTION1 DEST="%DIR1%\\m">\r\n'
                              b'<OPTION2 CAPTION="Again">\r\n<OPTION2 TYPE="Copy">\r\n'
                              b'<OPTION2 SOURCE="few">\r\n<OPTION2 DEST="%DIR1%\\f">\r\n')}
    for i in range(250):
        files["files/f%03d.txt" % i] = b"x" * i
    files["few/a.txt"] = b"a"
    many = m.add_package("Many", files=files)
    for name, stdout in (("tty", None), ("tty-log-stdout", "-")):
        master, slave = pty.openpty()
        args = ["install", "--package", many] + (["--log", stdout] if stdout else [])
        p = subprocess.Popen(m._command(args), env=m._environment(), cwd=m.scratch,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=slave)
        os.close(slave)
        err = b""
        while True:
            ready, _, _ = select.select([master], [], [], 30)
            if not ready:
                break
            try:
                chunk = os.read(master, 65536)
            except OSError:
                break
            if not chunk:
                break
            err += chunk
        out = p.stdout.read()
        p.wait()
        os.close(master)
        count[0] += 1
        with open(os.path.join(OUT, "%02d-%s.err" % (count[0], name)), "wb") as f:
            f.write(mask(m, err) + b"\nstatus %d\n" % p.returncode)
        with open(os.path.join(OUT, "%02d-%s.out" % (count[0], name)), "wb") as f:
            f.write(mask(m, out))
        m.close()
        m = make_machine()
        many = m.add_package("Many", files=files)
    m.close()


main()
