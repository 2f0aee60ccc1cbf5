"""The Intune and Configuration Manager examples (examples/intune, examples/sccm) held to what
tarnwick-cli does. ScriptTests read the examples alone: what the two products share is the same
file, and the detection, the install and the uninstall agree on where things are kept. RunTests
run the program the way the scripts call it, with the arguments read from the scripts themselves,
on a simulated machine (tests/cli/machine.py: natively, or tarnwick-cli.exe under Wine).

PowerShell itself is not run: what the scripts add around the program (copying the content,
the folder's DACL, numbering the logs) is only read here.

Usage: TARNWICK_CLI=build/.../tarnwick-cli test_deploy.py [ScriptTests|RunTests] [options]
"""

import os
import re
import shutil
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE_ROOT, "tests", "cli"))

from machine import REBOOT_REQUIRED, SUCCESS, BAD_PACKAGE, INVALID_COMMAND_LINE  # noqa: E402
from machine import make_machine, parse_log  # noqa: E402

EXAMPLES = os.path.join(SOURCE_ROOT, "examples")
PRODUCTS = ("intune", "sccm")
SHARED = ("install.ps1", "uninstall.ps1", "TarnwickApp.ps1", "answers.ini")
# Documented ahead of the program: skipped, not failed, while --help does not list them.
COMING = ("--rollback",)
NOT_INSTALLED = 1  # status: not installed, or not as install would leave it
TITLE = "Sample Tag Pack"


def read(product, name):
    with open(os.path.join(EXAMPLES, product, name), encoding="utf-8") as f:
        return f.read()


def code_of(name, text):
    """The parts of a file that are commands: a script's lines but comments, a README's code."""
    if name.endswith(".md"):
        spans = re.findall(r"```[^\n]*\n(.*?)```|`([^`\n]+)`", text, re.S)
        return "\n".join(block or inline for block, inline in spans)
    return "\n".join(line for line in text.splitlines() if not line.lstrip().startswith("#"))


def invocations(code):
    """(command, [arguments]) of each tarnwick-cli call: arguments end where a redirection does."""
    for match in re.finditer(r'tarnwick-cli(?:\.exe)?"?[ \t]+([a-z][a-z-]*)([^\r\n]*)', code):
        arguments = []
        for token in re.findall(r'"[^"]*"|\S+', match.group(2)):
            if token.startswith(("2>", ">", "|", ";")):
                break
            arguments.append(token)
        yield match.group(1), arguments


def script_call(product, script, command):
    """The arguments of the one `tarnwick-cli COMMAND` line of a script."""
    calls = [a for name, a in invocations(code_of(script, read(product, script))) if name == command]
    if len(calls) != 1:
        raise AssertionError("%s/%s calls tarnwick-cli %s %d times" % (product, script, command,
                                                                        len(calls)))
    return calls[0]


def option(arguments, name):
    return arguments[arguments.index(name) + 1]


def folders(product):
    """The $Tarnwick... folders TarnwickApp.ps1 defines, as Windows paths."""
    found = {}
    for name, rest in re.findall(r"^\$(Tarnwick\w+) = Join-Path \$env:ProgramData '([^']+)'$",
                                 read(product, "TarnwickApp.ps1"), re.M):
        found[name] = "C:\\ProgramData\\" + rest
    return found


def resolved(arguments, variables):
    """arguments with their quotes dropped and $NAME replaced; fails on a variable it lacks."""
    out = []
    for token in arguments:
        token = token.strip('"')
        for name in sorted(variables, key=len, reverse=True):
            token = token.replace("$" + name, variables[name])
        if "$" in token:
            raise AssertionError("no value for %r" % token)
        out.append(token)
    return out


class ScriptTests(unittest.TestCase):
    def test_what_the_products_share_is_one_file(self):
        for name in SHARED:
            with self.subTest(name):
                self.assertEqual(read("intune", name), read("sccm", name))

    def test_files_a_readme_names_are_there(self):
        for product in PRODUCTS:
            for name in set(re.findall(r"`([\w-]+\.(?:ps1|ini))`", read(product, "README.md"))):
                with self.subTest(product=product, file=name):
                    self.assertTrue(os.path.isfile(os.path.join(EXAMPLES, product, name)))

    def test_detection_asks_about_what_install_installed(self):
        install = script_call("intune", "install.ps1", "install")
        stage = re.search(r"^\$TarnwickStage = .*$", read("intune", "TarnwickApp.ps1"), re.M)
        for product in PRODUCTS:
            with self.subTest(product):
                detect = read(product, "detect.ps1")
                self.assertIn(stage.group(0), detect.splitlines())
                status = script_call(product, "detect.ps1", "status")
                for name in ("--package", "--answers"):
                    self.assertEqual(option(status, name), option(install, name))

    def test_uninstall_finds_the_logs_install_names(self):
        helper = read("intune", "TarnwickApp.ps1")
        pattern = re.search(r"-match '([^']+)'", helper).group(1)
        undo_name = re.search(r"UndoPath = Join-Path \$TarnwickLogs \('([^']+)'", helper).group(1)
        install_name = re.search(r"\('([^']+-install\.jsonl)' -f \$number\)",
                                 read("intune", "install.ps1")).group(1)
        for number in (1, 42, 10000):
            name = install_name.replace("{0:d4}", "%04d" % number)
            match = re.match(pattern, name)
            self.assertTrue(match, "%s is not found by %s" % (name, pattern))
            self.assertEqual(int(match.group(1)), number)
            self.assertNotEqual(undo_name.replace("{0}", match.group(1)), name)

    def test_return_codes_in_readmes_are_the_programs_or_the_products(self):
        with open(os.path.join(SOURCE_ROOT, "cli", "ExitCodes.h")) as f:
            program = {int(c) for c in re.findall(r"= (\d+);", f.read())}
        product_defaults = {1641, 1707}  # listed by both products from the start
        for product in PRODUCTS:
            table = re.findall(r"^\| *(\d+) *\|", read(product, "README.md"), re.M)
            with self.subTest(product):
                self.assertTrue(table, "no table of return codes")
                self.assertLessEqual({int(c) for c in table}, program | product_defaults)


def help_commands(text):
    """{command: {options}} from the usage lines of tarnwick-cli --help."""
    commands = {}
    current = None
    for line in text.splitlines():
        usage = re.match(r"^\s+tarnwick-cli ([a-z]+)\b(.*)$", line)
        if usage:
            current = commands.setdefault(usage.group(1), set())
            current.update(re.findall(r"--[a-z-]+", usage.group(2)))
        elif current is not None and re.match(r"^\s+\[", line):
            current.update(re.findall(r"--[a-z-]+", line))
        else:
            current = None
    return commands


class RunTests(unittest.TestCase):
    """The sample package kept as install.ps1 keeps it, on a fresh machine for each case."""

    def setUp(self):
        self.machine = make_machine()
        self.addCleanup(self.machine.close)
        self.folders = folders("intune")
        root = self.machine.host_path(self.folders["TarnwickRoot"])
        # Under Wine C:\ProgramData is the prefix's, shared by the machines of a run.
        self.addCleanup(shutil.rmtree, root, True)
        stage = self.folders["TarnwickStage"]
        for name in ("TarnwickStage", "TarnwickLogs", "TarnwickBackup"):
            os.makedirs(self.machine.host_path(self.folders[name]))
        shutil.copytree(os.path.join(EXAMPLES, "sample-package").encode(),
                        self.machine.host_path(stage + "\\package"))
        shutil.copyfile(os.path.join(EXAMPLES, "intune", "answers.ini").encode(),
                        self.machine.host_path(stage + "\\answers.ini"))
        self.listed = help_commands(self.machine.run("--help").stdout)

    def missing(self, command, arguments=()):
        """What of COMING a call needs that --help does not list yet."""
        needed = [command] + [a for a in arguments if a.startswith("--")]
        return [n for n in needed if n in COMING and
                (n not in self.listed if n == command else n not in self.listed.get(command, ()))]

    def given(self, path):
        """A Windows path on drive C: as the program is given it: natively, the host path of the
        drive's folder; under Wine, as it is."""
        if type(self.machine).__name__ == "NativeMachine":
            return self.machine.host_path(path).decode(self.machine.name_encoding)
        return path

    def as_given(self, arguments, variables):
        """A script's arguments with its variables' values, paths as the program is given them."""
        return [self.given(a) if re.match(r"^[A-Za-z]:\\", a) else a
                for a in resolved(arguments, variables)]

    def exit(self, run, code):
        self.assertEqual(run.status, self.machine.exit_status(code), run.describe())

    def install(self, number):
        arguments = script_call("intune", "install.ps1", "install")
        log = "%s\\SampleTagPack-%04d-install.jsonl" % (self.folders["TarnwickLogs"], number)
        arguments = self.as_given(arguments, dict(self.folders, log=log))
        if self.missing("install", arguments):
            arguments.remove("--rollback")  # the rest of the line is the same
        return self.machine.run("install", *arguments), log

    def undo(self, log):
        arguments = self.as_given(script_call("intune", "uninstall.ps1", "undo"),
                                  {"install.Path": log, "partial": log + ".partial"})
        return self.machine.run("undo", *arguments)

    def status(self, product, **replace):
        arguments = self.as_given(script_call(product, "detect.ps1", "status"), self.folders)
        missing = self.missing("status", arguments)
        if missing:
            self.skipTest("tarnwick-cli --help does not list %s yet" % ", ".join(missing))
        for name, value in replace.items():
            arguments[arguments.index("--" + name) + 1] = value
        return self.machine.run("status", *arguments)

    def test_command_lines_use_what_help_lists(self):
        coming = set()
        seen = set()
        for product in PRODUCTS:
            for name in sorted(os.listdir(os.path.join(EXAMPLES, product))):
                if not name.endswith((".ps1", ".md")):
                    continue
                for command, arguments in invocations(code_of(name, read(product, name))):
                    seen.add(command)
                    with self.subTest(file="%s/%s" % (product, name), command=command):
                        waiting = self.missing(command, arguments)
                        coming.update(waiting)
                        if command not in waiting:
                            self.assertIn(command, self.listed)
                            for word in arguments:
                                if word.startswith("--") and word not in waiting:
                                    self.assertIn(word, self.listed[command])
        self.assertLessEqual({"install", "undo", "status"}, seen)
        if coming:
            self.skipTest("tarnwick-cli --help does not list %s yet" % ", ".join(sorted(coming)))

    def test_answers_are_accepted_for_the_sample_package(self):
        stage = self.folders["TarnwickStage"]
        package = self.given(stage + "\\package")
        self.exit(self.machine.run("check", "--package", package), SUCCESS)
        plan = self.machine.run("plan", "--package", package, "--answers",
                                self.given(stage + "\\answers.ini"), "--json")
        self.exit(plan, REBOOT_REQUIRED)  # RestartServer=no
        given = re.findall(r"^(\w+)=", read("intune", "answers.ini"), re.M)
        answers = plan.events[0]["answers"]
        self.assertEqual(sorted(k for k in answers if answers[k]["source"] == "file"),
                         sorted(given))

    def test_installs_again_and_uninstalls_as_the_scripts_do(self):
        before = self.machine_state()
        first, first_log = self.install(1)
        self.exit(first, REBOOT_REQUIRED)
        with open(self.machine.host_path(first_log), "rb") as f:
            self.assertEqual(parse_log(f.read().decode("utf-8"))[-1]["exit"], REBOOT_REQUIRED)
        # Drift: detection finds a file missing, and the product installs again.
        os.unlink(self.machine.host_path("C:\\CFusion\\CustomTags\\Sample\\cfx_sample.cfm"))
        second, second_log = self.install(2)
        self.exit(second, REBOOT_REQUIRED)
        # uninstall.ps1 takes back every install since the last, newest first.
        for log in (second_log, first_log):
            self.exit(self.undo(log), SUCCESS)
        self.assertEqual(self.machine_state(), before)

    def test_intune_detection_follows_install_drift_and_uninstall(self):
        self.check_detection("intune")

    def test_sccm_detection_follows_install_drift_and_uninstall(self):
        self.check_detection("sccm")

    def check_detection(self, product):
        nothing = self.status(product)
        self.exit(nothing, NOT_INSTALLED)
        self.assertEqual(nothing.stdout, "")
        self.assertNotEqual(nothing.stderr.strip(), "")
        install, log = self.install(1)
        self.exit(install, REBOOT_REQUIRED)
        installed = self.status(product)
        self.exit(installed, SUCCESS)
        self.assertEqual(installed.stdout.splitlines(), ["installed: " + TITLE])
        os.unlink(self.machine.host_path("C:\\Inetpub\\wwwroot\\sample\\index.cfm"))
        drifted = self.status(product)
        self.exit(drifted, NOT_INSTALLED)
        self.assertEqual(drifted.stdout, "")
        self.assertIn("index.cfm", drifted.stderr)
        # The codes the Configuration Manager script keeps as failures.
        self.exit(self.status(product, package=self.given(self.folders["TarnwickStage"] + "\\none")),
                  BAD_PACKAGE)
        bad = self.machine.host_file("bad.ini", "[Tarnwick]\nNoSuchKey=1\n")
        self.exit(self.status(product, answers=bad), INVALID_COMMAND_LINE)
        self.exit(self.undo(log), SUCCESS)
        self.exit(self.status(product), NOT_INSTALLED)

    def machine_state(self):
        """Files, folders and registry but the kept copy and logs, and the machine's log key."""
        root = self.folders["TarnwickRoot"].upper()
        keep = lambda path: not (path.upper() + "\\").startswith(root + "\\")  # noqa: E731
        registry = {n: d for n, d in self.machine.registry().flat().items()
                    if not n[0].upper().startswith("HKEY_LOCAL_MACHINE\\SOFTWARE\\TARNWICK")
                    and not (n[1] is None and n[0].count("\\") < 2)}
        return ({p: d for p, d in self.machine.files().items() if keep(p)},
                {p for p in self.machine.folders() if keep(p)}, registry)


if __name__ == "__main__":
    unittest.main()
