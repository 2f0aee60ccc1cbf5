"""The Ansible plays of examples/fleet on 20 simulated servers (tests/fleet/fleet.py), through
ansible-playbook with 10 forks: check mode, install, a second install after one file was deleted by
hand on one server and one value changed on another, a third install, undo, a second undo.

One server's Custom Tags folder may not be written (as root, its program runs as an unprivileged
user, as tests/cli/machine.py does), so the package's first copy fails there with 1603. Even servers
answer RestartServer=yes (exit 0, the service restarted); odd ones use examples/fleet/answers.ini as
it is (RestartServer=no, exit 3010).

Usage: TARNWICK_CLI=build/.../tarnwick-cli test_fleet.py [unittest options]. Without
ansible-playbook the test says so in one line and exits 77, which ctest counts as skipped.
"""

import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import fleet  # noqa: E402
from fleet import EXAMPLE_ANSWERS, Fleet, Server  # noqa: E402
from machine import INSTALL_FAILURE, REBOOT_REQUIRED, SUCCESS, Registry, reg_string  # noqa: E402

NAMES = ["srv%02d" % i for i in range(1, 21)]
READ_ONLY = "srv07"
FILE_GONE = "srv03"  # one of the package's files deleted by hand after the install
VALUE_CHANGED = "srv12"  # the class path given back its data from before the install
DRIFTED = [FILE_GONE, VALUE_CHANGED]
GONE_FILE = "C:\\CFusion\\CustomTags\\Sample\\cfx_sample.jar"
TAGS = "C:\\CFusion\\CustomTags"
SAMPLE_TAG = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\CustomTags\\CFX_SampleJava"
JVM = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\JVM"
SKIP = 77


def drift(servers, seed):
    """What someone does by hand on two installed servers."""
    os.unlink(servers[FILE_GONE].machine.host_path(GONE_FILE))
    machine = servers[VALUE_CHANGED].machine
    text = machine.registry_text().replace("\r\n", "\n")
    installed = machine.registry().value(JVM, "JavaClassPath")
    before = seed.registry(VALUE_CHANGED).value(JVM, "JavaClassPath")
    line = '"JavaClassPath"=%s\n'
    assert text.count(line % reg_string(installed)) == 1
    machine.seed_registry(text.replace(line % reg_string(installed), line % reg_string(before)))


def restarts(name):
    return int(name[3:]) % 2 == 0


def settled(registry):
    """A registry's keys and values but the hives' standard keys (HKEY_CURRENT_USER\\Software,
    HKEY_LOCAL_MACHINE\\SOFTWARE), which a store holds once it has been written."""
    return {n: d for n, d in registry.flat().items() if not (n[1] is None and n[0].count("\\") < 2)}


def without_class_path(registry):
    return {n: d for n, d in settled(registry).items() if n != (JVM.upper(), "JAVACLASSPATH")}


class Snapshot:
    """What every server holds at one moment (store bytes, files, folders, the service commands
    run so far) and the logs fetched from it by then."""

    def __init__(self, servers):
        self.stores = {n: s.machine.store_bytes() for n, s in servers.items()}
        self.files = {n: s.machine.files() for n, s in servers.items()}
        self.folders = {n: s.machine.folders() for n, s in servers.items()}
        self.services = {n: s.machine.service_log() for n, s in servers.items()}
        self.logs = {n: {kind: s.logs(kind) for kind in ("install", "undo")}
                     for n, s in servers.items()}

    def registry(self, name):
        return Registry(self.stores[name].decode("cp1252"))


class FleetTest(unittest.TestCase):
    """The plays run once, in order, in setUpClass; each test reads one step's results."""

    @classmethod
    def setUpClass(cls):
        cls.fleet = Fleet(os.path.abspath(os.environ["TARNWICK_CLI"]), NAMES,
                          base=os.environ.get("TARNWICK_CLI_TMP"))
        try:
            cls._run_plays()
        except BaseException:
            cls.fleet.close()
            raise

    @classmethod
    def _run_plays(cls):
        servers = cls.fleet.servers
        restart_answers = os.path.join(cls.fleet.root, "restart.ini")
        with open(EXAMPLE_ANSWERS) as source, open(restart_answers, "w") as out:
            out.write(source.read().replace("RestartServer=no", "RestartServer=yes"))
        for name, server in servers.items():
            if restarts(name):
                server.answers = restart_answers
        servers[READ_ONLY].deny_writes(TAGS)

        cls.seed = Snapshot(servers)
        cls.check = cls.fleet.play("install.yml", "--check")
        cls.after_check = Snapshot(servers)
        cls.install = cls.fleet.play("install.yml")
        cls.installed = Snapshot(servers)
        drift(servers, cls.seed)
        cls.drifted = Snapshot(servers)
        cls.again = cls.fleet.play("install.yml")
        cls.after_again = Snapshot(servers)
        cls.third = cls.fleet.play("install.yml")
        cls.after_third = Snapshot(servers)
        cls.undo = cls.fleet.play("undo.yml")
        cls.undone = Snapshot(servers)
        cls.undo_again = cls.fleet.play("undo.yml")
        cls.after_undo_again = Snapshot(servers)
        for title, run in (("check", cls.check), ("install", cls.install),
                           ("again, 2 drifted", cls.again), ("third, nothing to do", cls.third),
                           ("undo", cls.undo), ("undo again", cls.undo_again)):
            print("fleet: %s: %.1f s, %.1f s CPU" % (title, run.seconds, run.cpu_seconds),
                  file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.fleet.close()

    def servers(self):
        return self.fleet.servers

    def assertRecap(self, run, changed, failed=()):
        """The play recap lists every server; exactly changed changed and failed failed."""
        self.assertEqual(sorted(run.recap), NAMES, run.describe())
        self.assertEqual(run.hosts_where(changed=1), sorted(changed), run.describe())
        self.assertEqual(run.hosts_where(failed=1), sorted(failed), run.describe())
        self.assertEqual(run.hosts_where(unreachable=1), [], run.describe())
        self.assertEqual(run.status, 2 if failed else 0, run.describe())

    def test_check_mode_plans_and_changes_nothing(self):
        others = [n for n in NAMES if n != READ_ONLY]
        # the plan meets the read-only folder, as the install would
        self.assertRecap(self.check, changed=others, failed=[READ_ONLY])
        for name in NAMES:
            with self.subTest(server=name):
                self.assertEqual(self.after_check.stores[name], self.seed.stores[name])
                self.assertEqual(self.after_check.files[name], self.seed.files[name])
                self.assertEqual(self.after_check.folders[name], self.seed.folders[name])
                self.assertEqual(self.after_check.logs[name], {"install": [], "undo": []})
                self.assertEqual(self.after_check.services[name], [])
        for name in others:
            facts = self.check.facts(name)
            expected = SUCCESS if restarts(name) else REBOOT_REQUIRED
            self.assertEqual(int(facts["tarnwick_exit_code"]), expected, name)
            self.assertEqual(facts["tarnwick_counts"]["files"], 7, name)
        for name in NAMES:
            facts = self.check.facts(name)
            self.assertIs(facts["tarnwick_installed"], False, name)
            self.assertTrue(facts["tarnwick_status"][-1].startswith("not installed: Sample Tag Pack"),
                            (name, facts["tarnwick_status"][-3:]))

    def test_install_changes_19_servers_and_fails_the_read_only_one(self):
        others = [n for n in NAMES if n != READ_ONLY]
        self.assertRecap(self.install, changed=others, failed=[READ_ONLY])
        for name in others:
            with self.subTest(server=name):
                server = self.servers()[name]
                registry = self.installed.registry(name)
                self.assertTrue(registry.has_key(SAMPLE_TAG))
                self.assertIn("cfx_sample.jar", registry.value(JVM, "JavaClassPath"))
                self.assertIn("C:\\CFusion\\CustomTags\\Sample\\cfx_sample.jar",
                              self.installed.files[name])
                # the log came back, whole, and says what the facts say
                logs = self.installed.logs[name]["install"]
                self.assertEqual(len(logs), 1)
                events = Server.events(logs[0])
                self.assertEqual(events[0]["computer"], name.upper())
                expected = SUCCESS if restarts(name) else REBOOT_REQUIRED
                self.assertEqual(events[-1]["exit"], expected)
                facts = self.install.facts(name)
                self.assertEqual(int(facts["tarnwick_exit_code"]), expected)
                self.assertIs(facts["tarnwick_restart_needed"], not restarts(name))
                self.assertEqual(facts["tarnwick_log"], logs[0])
                self.assertEqual(facts["tarnwick_counts"], events[-1]["counts"])
                # the answers each server was given, and the service they restarted
                answers = events[0]["answers"]
                self.assertEqual(answers["RestartServer"]["value"], "yes" if restarts(name) else "no")
                self.assertEqual(answers["Dir2"]["source"], "file")
                self.assertEqual(bool(self.installed.services[name]), restarts(name))

    def test_the_failed_install_is_reported_with_its_log(self):
        facts = self.install.facts(READ_ONLY)
        self.assertEqual(int(facts["tarnwick_exit_code"]), INSTALL_FAILURE)
        self.assertIs(facts["tarnwick_restart_needed"], False)
        logs = self.installed.logs[READ_ONLY]["install"]
        self.assertEqual(len(logs), 1)
        self.assertEqual(facts["tarnwick_log"], logs[0])
        events = Server.events(logs[0])
        self.assertEqual(events[-1]["exit"], INSTALL_FAILURE)
        # Its own plan showed it would fail: nothing was changed, and the log says why.
        texts = [e["text"] for e in events if e["event"] == "message"]
        self.assertIn("The plan of this install shows that it would fail: nothing was changed", texts)
        self.assertTrue(any(t.startswith("plan: option 1 ") and t.endswith("FAILED") for t in texts), texts)
        self.assertEqual([e for e in events if e["event"] == "option"], [])
        failed = [t for t in self.install.tasks(READ_ONLY) if t[1] == "failed"]
        self.assertEqual(failed, [("Install the package", "failed")])
        self.assertFalse(self.installed.registry(READ_ONLY).has_key(SAMPLE_TAG))
        self.assertEqual(self.installed.folders[READ_ONLY], self.seed.folders[READ_ONLY])

    def assertSeed(self, snapshot, name):
        self.assertEqual(settled(snapshot.registry(name)), settled(self.seed.registry(name)), name)
        self.assertEqual(snapshot.files[name], self.seed.files[name], name)
        self.assertEqual(snapshot.folders[name], self.seed.folders[name], name)

    def test_the_read_only_server_fails_each_run_and_keeps_its_seed(self):
        for title, run, after in (("install", self.install, self.installed),
                                  ("again", self.again, self.after_again),
                                  ("third", self.third, self.after_third)):
            with self.subTest(run=title):
                facts = run.facts(READ_ONLY)
                self.assertIs(facts["tarnwick_installed"], False)
                self.assertEqual(int(facts["tarnwick_exit_code"]), INSTALL_FAILURE)
                self.assertSeed(after, READ_ONLY)
        # each run tried it, and brought back a log of its own
        logs = self.after_third.logs[READ_ONLY]["install"]
        self.assertEqual(len(logs), 3)
        for path in logs:
            self.assertEqual(Server.events(path)[-1]["exit"], INSTALL_FAILURE)

    def test_status_finds_what_was_changed_by_hand(self):
        found = {name: self.again.facts(name)["tarnwick_status"] for name in DRIFTED}
        self.assertIn("missing: file %s" % GONE_FILE, "\n".join(found[FILE_GONE]))
        self.assertTrue(any(line.startswith("different: value %s \"JavaClassPath\"" % JVM)
                            for line in found[VALUE_CHANGED]), found[VALUE_CHANGED])
        for name in DRIFTED:
            self.assertTrue(found[name][-1].startswith("not installed: Sample Tag Pack"), found[name])
            self.assertEqual(len([l for l in found[name] if l.startswith(("missing:", "different:"))]),
                             1, found[name])

    def test_a_second_install_reinstalls_exactly_the_drifted_servers(self):
        self.assertRecap(self.again, changed=DRIFTED, failed=[READ_ONLY])
        for name in NAMES:
            with self.subTest(server=name):
                logs = self.after_again.logs[name]["install"]
                facts = self.again.facts(name)
                if name in DRIFTED:
                    # back as the first install left it, by an install of its own; the class
                    # path only needs to hold the package's entry (an install appends it again)
                    self.assertEqual(without_class_path(self.after_again.registry(name)),
                                     without_class_path(self.installed.registry(name)))
                    self.assertIn("C:\\CFusion\\CustomTags\\Sample\\cfx_sample.jar",
                                  self.after_again.registry(name).value(JVM, "JavaClassPath").split(";"))
                    self.assertEqual(self.after_again.files[name], self.installed.files[name])
                    self.assertEqual(len(logs), 2)
                    self.assertEqual(facts["tarnwick_log"], logs[1])
                    self.assertIn(Server.events(logs[1])[-1]["exit"], (SUCCESS, REBOOT_REQUIRED))
                elif name != READ_ONLY:
                    # left alone after status, before install ran: not a byte written
                    self.assertEqual(self.after_again.stores[name], self.drifted.stores[name])
                    self.assertEqual(self.after_again.files[name], self.drifted.files[name])
                    self.assertEqual(logs, self.installed.logs[name]["install"])
                    self.assertIs(facts["tarnwick_installed"], True)
                    self.assertEqual(facts["tarnwick_status"], ["installed: Sample Tag Pack"])
                    self.assertEqual(int(facts["tarnwick_exit_code"]), SUCCESS)
                    self.assertNotIn("Run tarnwick-cli install", [t for t, _ in self.again.tasks(name)])

    def test_a_third_install_changes_nothing(self):
        self.assertRecap(self.third, changed=[], failed=[READ_ONLY])
        for name in NAMES:
            with self.subTest(server=name):
                self.assertEqual(self.after_third.stores[name], self.after_again.stores[name])
                self.assertEqual(self.after_third.files[name], self.after_again.files[name])
                if name != READ_ONLY:
                    self.assertEqual(self.after_third.logs[name], self.after_again.logs[name])
                    self.assertIs(self.third.facts(name)["tarnwick_installed"], True)

    def test_undo_restores_every_server(self):
        # the read-only server's install changed nothing: there is nothing to take back
        self.assertRecap(self.undo, changed=[n for n in NAMES if n != READ_ONLY])
        for name in NAMES:
            with self.subTest(server=name):
                # Compared parsed, not byte for byte: a store that has been written also holds
                # the hives' standard keys, which the seed file leaves implied.
                self.assertEqual(settled(self.undone.registry(name)), settled(self.seed.registry(name)))
                self.assertEqual(self.undone.files[name], self.seed.files[name])
                self.assertEqual(self.undone.folders[name], self.seed.folders[name])
                facts = self.undo.facts(name)
                self.assertEqual(int(facts["tarnwick_exit_code"]), 0)
                if name != READ_ONLY:  # its install was refused before any change
                    self.assertGreater(facts["tarnwick_counts"]["undone"], 0)
                self.assertEqual(facts["tarnwick_counts"]["kept"], 0)
                # one undo, with a log of its own, per install since the last undo
                undo_logs = self.undone.logs[name]["undo"]
                self.assertEqual(len(undo_logs), len(self.undone.logs[name]["install"]))
                self.assertEqual(facts["tarnwick_undo_logs"], undo_logs)
                for path in undo_logs:
                    self.assertEqual(Server.events(path)[-1]["exit"], 0)

    def test_a_second_undo_finds_nothing_to_undo(self):
        self.assertRecap(self.undo_again, changed=[])
        self.assertEqual(self.after_undo_again.stores, self.undone.stores)
        self.assertEqual(self.after_undo_again.logs, self.undone.logs)
        for name in NAMES:
            self.assertNotIn("Run tarnwick-cli undo", [t for t, _ in self.undo_again.tasks(name)])


def main():
    if shutil.which("ansible-playbook") is None:
        print("fleet: ansible-playbook not found (Debian: apt-get install ansible-core); "
              "the fleet plays are not tested")
        return SKIP
    if not os.environ.get("TARNWICK_CLI"):
        print("fleet: TARNWICK_CLI names no tarnwick-cli to test", file=sys.stderr)
        return 2
    result = unittest.main(exit=False, verbosity=2).result
    if result.skipped and not result.testsRun - len(result.skipped):
        return SKIP
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
